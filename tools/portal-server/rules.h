#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

// Faults a test asks for on one request path.
struct Rule {
    int status = 0;           // answer with this status instead of the natural one
    int delayMs = 0;          // wait this long before answering
    bool close = false;       // close the connection without any answer
    long long dropAfter = -1; // announce the full length, then stop after this many body bytes
    bool unsized = false;     // send the body in chunks, no length; with dropAfter, end it cleanly there
    std::string redirect;     // answer 302 with this Location
    int dripMs = 0;           // send the body in chunks, no length, one small piece every dripMs
    bool endless = false;     // send the body in chunks, no length, over and over without end
};

// The rules by path, changed at run time through the control endpoint while
// the worker threads read them.
class RuleBook
{
public:
    // Applies one control request: "reset" alone clears every rule, with a
    // path only that path's rule; otherwise the given settings are merged into
    // the path's rule. Returns an error text for a malformed request.
    std::optional<std::string> apply(const std::multimap<std::string, std::string> &params);
    Rule find(const std::string &path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Rule> m_rules;
};
