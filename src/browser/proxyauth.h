// The panes behind a proxy that wants a password: the same credentials as the client's own downloads.
#pragma once

class QWebEnginePage;

namespace tavrin {

class InternetSession;

// Answers the page's proxy-authentication requests: first with the credentials the session remembers,
// then, when the proxy refuses them, by asking the session's credentials provider (the password dialog);
// what the reader types is remembered for every download. Declining leaves the page's load to fail.
void AnswerProxyAuthentication(QWebEnginePage *page, InternetSession &session);

} // namespace tavrin
