// Entry of the core tests: a QCoreApplication and private folders for each test.
#include "support/privatefolders.h"
#include "support/sanitizeroptions.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

namespace {
constexpr char kTsanOptions[] = "suppressions='" TAVRIN_SOURCE_DIR "/tests/support/tsan.supp'";
} // namespace

extern "C" __attribute__((used, visibility("default"))) const char *__tsan_default_options()
{
    return kTsanOptions;
}

// QProcess starts programs with clone(CLONE_VM | CLONE_VFORK). ThreadSanitizer's clone wrapper
// treats every clone as a fork and resets its thread and lock records in the child, which here
// shares the parent's memory: the parent's records are wiped, its later accesses are reported as
// races and its next new thread is refused. Clones that share memory go straight to the C library;
// such a child only executes the program.
extern "C" __attribute__((used, visibility("default"))) int clone(int (*fn)(void *), void *stack, int flags,
                                                                  void *arg, ...)
{
    va_list rest;
    va_start(rest, arg);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    using Clone = int (*)(int (*)(void *), void *, int, void *, ...);
    static const auto sanitizerClone = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    static const auto libcClone
        = reinterpret_cast<Clone>(dlsym(dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD), "clone"));
    const Clone real = (flags & CLONE_VM) && libcClone ? libcClone : sanitizerClone;
    return real(fn, stack, flags, arg, parentTid, tls, childTid);
}
#endif

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    tavrin::test::installPrivateFolders();
#if defined(__SANITIZE_THREAD__)
    // The tool and the demo publisher the tests start are built the same way.
    tavrin::test::prependSanitizerOptions("TSAN_OPTIONS", kTsanOptions);
#endif
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
