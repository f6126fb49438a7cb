#include "rules.h"

#include <charconv>

namespace
{

std::optional<long long> number(const std::string &text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> RuleBook::apply(const std::multimap<std::string, std::string> &params)
{
    std::string path;
    if (const auto it = params.find("path"); it != params.end())
        path = it->second.starts_with('/') ? it->second : '/' + it->second;

    const std::lock_guard lock(m_mutex);
    if (params.contains("reset")) {
        if (path.empty())
            m_rules.clear();
        else
            m_rules.erase(path);
        return std::nullopt;
    }
    if (path.empty())
        return "missing path";

    Rule rule = m_rules[path];
    for (const auto &[key, value] : params) {
        if (key == "path")
            continue;
        if (key == "redirect") {
            rule.redirect = value;
            continue;
        }
        const auto n = number(value);
        if (!n)
            return "bad value for " + key;
        if (key == "status")
            rule.status = static_cast<int>(*n);
        else if (key == "delay")
            rule.delayMs = static_cast<int>(*n);
        else if (key == "close")
            rule.close = *n != 0;
        else if (key == "unsized")
            rule.unsized = *n != 0;
        else if (key == "drop")
            rule.dropAfter = *n;
        else if (key == "drip")
            rule.dripMs = static_cast<int>(*n);
        else if (key == "endless")
            rule.endless = *n != 0;
        else
            return "unknown setting " + key;
    }
    m_rules[path] = rule;
    return std::nullopt;
}

Rule RuleBook::find(const std::string &path) const
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_rules.find(path);
    return it == m_rules.end() ? Rule{} : it->second;
}
