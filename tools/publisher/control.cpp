// The /_control/ endpoints that make the server misbehave on request, for tests and demos.
#include "control.h"

#include <charconv>
#include <optional>

namespace tavrin::publisher {

namespace {

using Params = std::multimap<std::string, std::string>;

std::optional<std::string> Param(const Params &params, const std::string &name)
{
    const auto found = params.find(name);
    return found == params.end() ? std::nullopt : std::optional<std::string>(found->second);
}

bool Flag(const Params &params, const std::string &name, bool fallback)
{
    const std::optional<std::string> value = Param(params, name);
    if (!value)
        return fallback;
    return *value == "1" || *value == "on" || *value == "true" || value->empty();
}

std::optional<int> Number(const Params &params, const std::string &name)
{
    const std::optional<std::string> value = Param(params, name);
    if (!value)
        return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (error != std::errc() || end != value->data() + value->size())
        return std::nullopt;
    return number;
}

Reply Ok(const std::string &what)
{
    return TextReply(200, "ok " + what + "\n");
}
Reply Bad(const std::string &what)
{
    return TextReply(400, "error: " + what + "\n");
}

// The path a rule applies to: it must be a site path, or "*" for all.
std::optional<std::string> RulePath(const Params &params)
{
    const std::optional<std::string> path = Param(params, "path");
    if (!path || path->empty() || (path->front() != '/' && *path != "*")
        || path->rfind(kControlPrefix, 0) == 0)
        return std::nullopt;
    return *path == "*" ? std::string("/*") : *path;
}

std::string Describe(const ControlSettings &settings)
{
    std::string text = "offline=" + std::to_string(settings.offline)
        + " offline_all=" + std::to_string(settings.offlineAll)
        + "\nproxy_auth=" + (settings.proxyUser.empty() ? "off" : settings.proxyUser) + "\nbroken_config="
        + (settings.brokenConfig == BrokenConfig::Off             ? "off"
               : settings.brokenConfig == BrokenConfig::Malformed ? "malformed"
                                                                  : "invalid")
        + "\nurgent=" + (settings.urgentText ? "\"" + *settings.urgentText + "\"" : std::string("auto"))
        + "\nversion=" + settings.offeredVersion + "\n";
    for (const auto &[path, rule] : settings.rules) {
        text += "rule " + path + " status=" + std::to_string(rule.status) + " delay_ms="
            + std::to_string(rule.delayMs) + " silent=" + std::to_string(rule.silent) + " corrupt="
            + std::to_string(rule.corrupt) + " trickle_bps=" + std::to_string(rule.trickleBytesPerSecond)
            + " endless=" + std::to_string(rule.trickleEndless) + "\n";
    }
    return text;
}

} // namespace

Reply HandleControl(PublisherContext &context, const std::string &name, const Params &params, std::time_t now)
{
    ControlState &control = context.control;
    if (name == "reset") {
        control.Reset();
        return Ok("reset");
    }
    if (name == "state")
        return TextReply(
            200, Describe(control.Snapshot()) + "waiting=" + std::to_string(control.Waiting()) + "\n");
    if (name == "log") {
        Reply reply = TextReply(200, context.log.Text());
        if (Flag(params, "clear", false))
            context.log.Clear();
        return reply;
    }
    if (name == "offline") {
        const bool on = Flag(params, "on", true);
        const bool all = on && Flag(params, "all", false);
        control.Update([&](ControlSettings &settings) {
            settings.offline = on;
            settings.offlineAll = all;
        });
        return Ok(std::string("offline=") + (on ? "1" : "0") + (all ? " all" : ""));
    }
    if (name == "status" || name == "delay" || name == "silent" || name == "corrupt" || name == "trickle") {
        const std::optional<std::string> path = RulePath(params);
        if (!path)
            return Bad("path must be a site path starting with / (a trailing * matches by prefix), or *");
        std::optional<int> value;
        if (name == "status") {
            value = Number(params, "code").value_or(0);
            if (*value != 0 && (*value < 100 || *value > 599))
                return Bad("code must be 100 to 599, or 0 to clear");
        } else if (name == "delay") {
            value = Number(params, "ms").value_or(0);
            if (*value < 0 || *value > 600000)
                return Bad("ms must be 0 to 600000");
        } else if (name == "trickle") {
            value = Number(params, "bps").value_or(0);
            if (*value < 0 || *value > 1000000)
                return Bad("bps must be 0 to 1000000");
        }
        const bool on = Flag(params, "on", true);
        control.Update([&](ControlSettings &settings) {
            PathRule &rule = settings.rules[*path];
            if (name == "status")
                rule.status = *value;
            else if (name == "delay")
                rule.delayMs = *value;
            else if (name == "silent")
                rule.silent = on;
            else if (name == "trickle") {
                rule.trickleBytesPerSecond = *value;
                rule.trickleEndless = *value > 0 && Flag(params, "endless", false);
            } else
                rule.corrupt = on;
            if (rule.status == 0 && rule.delayMs == 0 && !rule.silent && !rule.corrupt
                && rule.trickleBytesPerSecond == 0)
                settings.rules.erase(*path);
        });
        return Ok(name + " " + *path);
    }
    if (name == "proxy_auth") {
        const std::string user = Param(params, "user").value_or(std::string());
        const std::string password = Param(params, "password").value_or(std::string());
        control.Update([&](ControlSettings &settings) {
            settings.proxyUser = user;
            settings.proxyPassword = user.empty() ? std::string() : password;
        });
        return Ok(user.empty() ? "proxy_auth off" : "proxy_auth " + user);
    }
    if (name == "broken_config") {
        const std::string kind = Param(params, "kind").value_or("malformed");
        BrokenConfig broken = BrokenConfig::Off;
        if (kind == "malformed")
            broken = BrokenConfig::Malformed;
        else if (kind == "invalid")
            broken = BrokenConfig::Invalid;
        else if (kind != "off")
            return Bad("kind must be malformed, invalid or off");
        control.Update([&](ControlSettings &settings) { settings.brokenConfig = broken; });
        return Ok("broken_config " + kind);
    }
    if (name == "urgent") {
        const std::optional<std::string> text = Param(params, "text");
        control.Update([&](ControlSettings &settings) { settings.urgentText = text; });
        return Ok(text ? "urgent set" : "urgent auto");
    }
    if (name == "version") {
        const std::optional<std::string> offer = Param(params, "offer");
        if (!offer || offer->empty())
            return Bad("offer=VERSION is required");
        control.Update([&](ControlSettings &settings) { settings.offeredVersion = *offer; });
        return Ok("version " + *offer);
    }
    if (name == "publish") {
        context.news.AdvanceTo(now);
        const std::optional<std::string> id
            = context.news.Publish(Param(params, "key").value_or(std::string()),
                                   Param(params, "title").value_or(std::string()), now);
        if (!id)
            return Bad("unknown key");
        return TextReply(200, *id + "\n");
    }
    return TextReply(404, "unknown control; see tools/publisher/README.md\n");
}

} // namespace tavrin::publisher
