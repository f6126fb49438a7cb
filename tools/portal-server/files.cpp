#include "files.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>

namespace fs = std::filesystem;

std::optional<fs::path> resolveUnder(const fs::path &root, const std::string &requestPath)
{
    if (requestPath.find('\0') != std::string::npos)
        return std::nullopt;
    fs::path result = root;
    std::size_t start = 0;
    while (start <= requestPath.size()) {
        std::size_t end = requestPath.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = requestPath.size();
        const std::string segment = requestPath.substr(start, end - start);
        if (segment == "..")
            return std::nullopt;
        if (!segment.empty() && segment != ".")
            result /= segment;
        start = end + 1;
    }
    return result;
}

namespace
{

bool isUtf8(const std::vector<unsigned char> &bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = bytes[i];
        const int follow = lead < 0x80           ? 0
                           : (lead >> 5) == 0x6  ? 1
                           : (lead >> 4) == 0xE  ? 2
                           : (lead >> 3) == 0x1E ? 3
                                                 : -1;
        if (follow < 0)
            return false;
        ++i;
        for (int k = 0; k < follow; ++k, ++i) {
            // A sequence cut at the end of the sample still counts as UTF-8.
            if (i == bytes.size())
                return true;
            if ((bytes[i] & 0xC0) != 0x80)
                return false;
        }
    }
    return true;
}

// Portal texts are either UTF-8 or GBK; the bytes tell which.
std::string charsetOf(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> sample(64 * 1024);
    in.read(reinterpret_cast<char *>(sample.data()), static_cast<std::streamsize>(sample.size()));
    sample.resize(static_cast<std::size_t>(in.gcount()));
    return isUtf8(sample) ? "utf-8" : "gbk";
}

} // namespace

std::string contentTypeFor(const fs::path &file)
{
    static const std::map<std::string, std::string> textTypes = {
        {".html", "text/html"}, {".htm", "text/html"},      {".txt", "text/plain"},
        {".css", "text/css"},   {".js", "text/javascript"},
    };
    static const std::map<std::string, std::string> binaryTypes = {
        {".png", "image/png"},     {".gif", "image/gif"},    {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},   {".ico", "image/x-icon"}, {".bmp", "image/bmp"},
        {".svg", "image/svg+xml"},
    };
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (const auto it = textTypes.find(ext); it != textTypes.end())
        return it->second + "; charset=" + charsetOf(file);
    if (const auto it = binaryTypes.find(ext); it != binaryTypes.end())
        return it->second;
    return "application/octet-stream";
}
