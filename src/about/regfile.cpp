#include "about/regfile.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

namespace Registry {

namespace {

constexpr std::string_view Header5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view Header4 = "REGEDIT4";
constexpr std::string_view LocalMachine = "hkey_local_machine";

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string folded(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = foldAscii(c);
    return out;
}

bool startsWithFolded(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (foldAscii(text[i]) != foldAscii(prefix[i]))
            return false;
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// What is left after a value's data may only be blanks or a comment.
bool onlyCommentLeft(std::string_view rest)
{
    rest = trimmed(rest);
    return rest.empty() || rest.front() == ';';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = foldAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<std::uint32_t> parseHex32(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = (value << 4) | std::uint32_t(d);
    }
    return value;
}

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8. A lone surrogate becomes U+FFFD; an odd last byte is
// dropped here, callers that care check the length first.
std::string utf16leToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) {
        return std::uint32_t(std::uint8_t(bytes[2 * i])) | (std::uint32_t(std::uint8_t(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

// Key path below HKEY_LOCAL_MACHINE, folded; nullopt when a component is
// empty (a doubled or trailing "\"), which the registry does not allow.
std::optional<std::string> normalizedPath(std::string_view path)
{
    if (path.empty())
        return std::string();
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        const std::string_view part =
            path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part.empty())
            return std::nullopt;
        if (!out.empty())
            out += '\\';
        out += folded(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return out;
}

// "HKEY_LOCAL_MACHINE\A\B" to "a\b"; nullopt for another root or a broken path.
std::optional<std::string> machinePath(std::string_view full)
{
    if (!startsWithFolded(full, LocalMachine))
        return std::nullopt;
    std::string_view rest = full.substr(LocalMachine.size());
    if (rest.empty())
        return std::string();
    if (rest.front() != '\\')
        return std::nullopt;
    return normalizedPath(rest.substr(1));
}

// Reads a quoted text starting after its opening quote. Knows the escapes
// regedit writes (\\ and \") and the few wine and hand-written files use.
// On success `pos` is just past the closing quote.
std::optional<std::string> parseQuoted(std::string_view line, std::size_t &pos)
{
    std::string out;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return out;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return std::nullopt;
        switch (line[pos++]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> parseHexBytes(std::string_view text)
{
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string_view token =
            trimmed(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (token.empty()) {
            // Only a trailing comma (or no bytes at all) may leave a token empty.
            if (comma != std::string_view::npos)
                return std::nullopt;
            break;
        }
        if (token.size() > 2)
            return std::nullopt;
        const auto byte = parseHex32(token);
        if (!byte)
            return std::nullopt;
        out += char(*byte);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

} // namespace

class HiveBuilder
{
public:
    explicit HiveBuilder(Hive &hive)
        : m_hive(hive)
    {}

    void addKey(const std::string &path)
    {
        // Every ancestor of a key exists too.
        std::size_t pos = 0;
        while ((pos = path.find('\\', pos)) != std::string::npos) {
            m_hive.m_keys.try_emplace(path.substr(0, pos));
            ++pos;
        }
        m_hive.m_keys.try_emplace(path);
    }

    void deleteKey(const std::string &path)
    {
        if (path.empty()) {
            m_hive.m_keys.clear();
            return;
        }
        m_hive.m_keys.erase(path);
        const std::string prefix = path + '\\';
        auto it = m_hive.m_keys.lower_bound(prefix);
        while (it != m_hive.m_keys.end() && it->first.compare(0, prefix.size(), prefix) == 0)
            it = m_hive.m_keys.erase(it);
    }

    std::map<std::string, Value> &values(const std::string &path) { return m_hive.m_keys[path]; }

private:
    Hive &m_hive;
};

Hive Hive::parse(std::string_view bytes)
{
    Hive hive;
    HiveBuilder builder(hive);

    std::string text;
    bool unicode = false;
    if (bytes.size() >= 2 && std::uint8_t(bytes[0]) == 0xFF && std::uint8_t(bytes[1]) == 0xFE) {
        text = utf16leToUtf8(bytes.substr(2));
    } else {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        text.assign(bytes);
    }

    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty())
        return hive;
    const std::string_view header = trimmed(lines.front());
    if (header == Header5)
        unicode = true;
    else if (header != Header4)
        return hive;

    // The key the following values belong to; none after a broken section
    // line or a key of another root, whose values are then skipped.
    std::optional<std::string> current;

    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = trimmed(lines[i]);
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[') {
            current.reset();
            const std::size_t close = line.rfind(']');
            if (close == std::string_view::npos || close < 1)
                continue;
            std::string_view inner = line.substr(1, close - 1);
            const bool remove = !inner.empty() && inner.front() == '-';
            if (remove)
                inner.remove_prefix(1);
            const auto path = machinePath(inner);
            if (!path)
                continue;
            if (remove) {
                builder.deleteKey(*path);
            } else {
                builder.addKey(*path);
                current = *path;
            }
            continue;
        }

        if (line.front() != '"' && line.front() != '@')
            continue; // not a line regedit would write; ignored

        std::size_t pos = 1;
        std::string name;
        if (line.front() == '"') {
            auto quoted = parseQuoted(line, pos);
            if (!quoted)
                continue; // no name, so there is no value to mark missing
            name = std::move(*quoted);
        }
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        const std::string_view data = line.substr(pos);

        std::optional<Value> value;
        bool erase = false;
        if (!data.empty() && data.front() == '"') {
            std::size_t at = 1;
            auto str = parseQuoted(data, at);
            if (str && onlyCommentLeft(data.substr(at)))
                value = Value{REG_SZ, *str + '\0'};
        } else if (!data.empty() && data.front() == '-' && onlyCommentLeft(data.substr(1))) {
            erase = true;
        } else if (startsWithFolded(data, "dword:")) {
            std::string_view digits = data.substr(6);
            const std::size_t comment = digits.find(';');
            if (comment != std::string_view::npos)
                digits = digits.substr(0, comment);
            if (const auto number = parseHex32(trimmed(digits))) {
                std::string le(4, '\0');
                for (int b = 0; b < 4; ++b)
                    le[std::size_t(b)] = char((*number >> (8 * b)) & 0xFF);
                value = Value{REG_DWORD, le};
            }
        } else if (startsWithFolded(data, "hex")) {
            std::optional<DWORD> type;
            std::string_view rest = data.substr(3);
            if (!rest.empty() && rest.front() == ':') {
                type = REG_BINARY;
                rest.remove_prefix(1);
            } else if (!rest.empty() && rest.front() == '(') {
                const std::size_t close = rest.find(')');
                if (close != std::string_view::npos && close + 1 < rest.size() && rest[close + 1] == ':') {
                    type = parseHex32(rest.substr(1, close - 1));
                    rest.remove_prefix(close + 2);
                }
            }
            // Long data is wrapped: a line ending in "\" goes on in the next.
            std::string joined;
            auto takeSegment = [&](std::string_view segment) {
                const std::size_t comment = segment.find(';');
                if (comment != std::string_view::npos)
                    segment = segment.substr(0, comment);
                segment = trimmed(segment);
                const bool more = !segment.empty() && segment.back() == '\\';
                if (more)
                    segment.remove_suffix(1);
                joined += segment;
                return more;
            };
            bool more = takeSegment(rest);
            while (more && i + 1 < lines.size())
                more = takeSegment(lines[++i]);
            if (type && !more) {
                if (auto raw = parseHexBytes(joined)) {
                    const bool wide = unicode && (*type == REG_SZ || *type == REG_EXPAND_SZ || *type == REG_MULTI_SZ);
                    if (!wide)
                        value = Value{*type, std::move(*raw)};
                    else if (raw->size() % 2 == 0)
                        value = Value{*type, utf16leToUtf8(*raw)}; // the "A" calls hand strings out narrow
                }
            }
        }

        if (!current)
            continue;
        auto &values = builder.values(*current);
        const std::string key = folded(name);
        if (value && !erase)
            values[key] = std::move(*value);
        else
            values.erase(key); // deleted, or broken and so missing
    }
    return hive;
}

bool Hive::hasKey(std::string_view keyPath) const
{
    const auto path = normalizedPath(keyPath);
    return path && (path->empty() || m_keys.count(*path) != 0);
}

const Value *Hive::find(std::string_view keyPath, std::string_view valueName) const
{
    const auto path = normalizedPath(keyPath);
    if (!path)
        return nullptr;
    const auto key = m_keys.find(*path);
    if (key == m_keys.end())
        return nullptr;
    const auto value = key->second.find(folded(valueName));
    return value == key->second.end() ? nullptr : &value->second;
}

FileRegistry::FileRegistry(Hive hive)
    : m_hive(std::move(hive))
{}

FileRegistry FileRegistry::fromFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return FileRegistry(Hive());
    std::string bytes;
    char chunk[65536];
    while (in) {
        in.read(chunk, sizeof chunk);
        bytes.append(chunk, std::size_t(in.gcount()));
        if (bytes.size() > MaxFileBytes)
            return FileRegistry(Hive());
    }
    return FileRegistry(Hive::parse(bytes));
}

bool FileRegistry::pathOf(HKEY key, std::string &path) const
{
    if (key == HKEY_LOCAL_MACHINE) {
        path.clear();
        return true;
    }
    const auto it = m_open.find(key);
    if (it == m_open.end())
        return false;
    path = it->second;
    return true;
}

// The file is never written, so the write rights the About window asks for
// along with the read rights are granted without meaning anything.
LONG FileRegistry::RegOpenKeyExA(HKEY key, const char *subKey, DWORD, DWORD, HKEY *result)
{
    if (!result)
        return 87; // ERROR_INVALID_PARAMETER
    std::string base;
    if (!pathOf(key, base))
        return (key & 0x80000000u) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
    std::string full = base;
    if (subKey && *subKey) {
        if (!full.empty())
            full += '\\';
        full += subKey;
    }
    if (!m_hive.hasKey(full))
        return ERROR_FILE_NOT_FOUND;
    const HKEY handle = m_nextHandle++;
    m_open[handle] = *normalizedPath(full);
    *result = handle;
    return ERROR_SUCCESS;
}

LONG FileRegistry::RegQueryValueExA(HKEY key, const char *valueName, DWORD *, DWORD *type, unsigned char *data,
                                    DWORD *size)
{
    std::string path;
    if (!pathOf(key, path))
        return ERROR_INVALID_HANDLE;
    const Value *value = m_hive.find(path, valueName ? valueName : "");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    const DWORD needed = DWORD(value->data.size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size)
        return 87; // ERROR_INVALID_PARAMETER
    if (needed > *size) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        std::memcpy(data, value->data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG FileRegistry::RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace Registry
