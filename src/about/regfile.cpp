#include "about/regfile.h"

#include <algorithm>
#include <fstream>
#include <optional>

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

// The lines of a file one after the other, split at "\n"; the text after
// the last one is a line too.
class LineCursor
{
public:
    explicit LineCursor(std::string_view text)
        : m_rest(text)
    {}

    bool atEnd() const { return m_done; }

    std::string_view next()
    {
        const std::size_t nl = m_rest.find('\n');
        if (nl == std::string_view::npos) {
            m_done = true;
            return m_rest;
        }
        const std::string_view line = m_rest.substr(0, nl);
        m_rest.remove_prefix(nl + 1);
        return line;
    }

private:
    std::string_view m_rest;
    bool m_done = false;
};

// The file's text as UTF-8: UTF-16LE after its byte-order mark, otherwise as
// it is, without a UTF-8 byte-order mark.
std::string decodedText(std::string_view bytes)
{
    if (bytes.size() >= 2 && std::uint8_t(bytes[0]) == 0xFF && std::uint8_t(bytes[1]) == 0xFE)
        return utf16leToUtf8(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return std::string(bytes);
}

// The header line: whether the file is version 5, whose strings written in
// hex are UTF-16LE; nullopt for a file that is no registry export.
std::optional<bool> isVersion5(std::string_view firstLine)
{
    const std::string_view header = trimmed(firstLine);
    if (header == Header5)
        return true;
    if (header == Header4)
        return false;
    return std::nullopt;
}

std::size_t skipBlanks(std::string_view line, std::size_t pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

// "text", with only a comment after it; the "A" calls hand it out with its zero.
std::optional<Value> stringData(std::string_view data)
{
    std::size_t at = 1;
    auto text = parseQuoted(data, at);
    if (!text || !onlyCommentLeft(data.substr(at)))
        return std::nullopt;
    return Value{REG_SZ, *text + '\0'};
}

// The digits after "dword:", stored little-endian as the registry does.
std::optional<Value> dwordData(std::string_view digits)
{
    const std::size_t comment = digits.find(';');
    if (comment != std::string_view::npos)
        digits = digits.substr(0, comment);
    const auto number = parseHex32(trimmed(digits));
    if (!number)
        return std::nullopt;
    std::string le(4, '\0');
    for (int b = 0; b < 4; ++b)
        le[std::size_t(b)] = char((*number >> (8 * b)) & 0xFF);
    return Value{REG_DWORD, le};
}

// The type of "hex:" (binary) or "hex(N):"; `rest` is left after the colon.
// Without a type `rest` stays as it was.
std::optional<DWORD> hexType(std::string_view &rest)
{
    if (!rest.empty() && rest.front() == ':') {
        rest.remove_prefix(1);
        return REG_BINARY;
    }
    if (rest.empty() || rest.front() != '(')
        return std::nullopt;
    const std::size_t close = rest.find(')');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
        return std::nullopt;
    const auto type = parseHex32(rest.substr(1, close - 1));
    rest.remove_prefix(close + 2);
    return type;
}

// Adds a piece of wrapped hex data to `joined`, without its comment;
// whether it ends in "\", so that the data goes on in the next line.
bool takeHexSegment(std::string_view segment, std::string &joined)
{
    const std::size_t comment = segment.find(';');
    if (comment != std::string_view::npos)
        segment = segment.substr(0, comment);
    segment = trimmed(segment);
    const bool more = !segment.empty() && segment.back() == '\\';
    if (more)
        segment.remove_suffix(1);
    joined += segment;
    return more;
}

// What follows "hex": its type and bytes, wrapped over as many lines as end
// in "\". Strings of a version 5 file are UTF-16LE there.
std::optional<Value> hexData(std::string_view rest, LineCursor &lines, bool version5)
{
    const std::optional<DWORD> type = hexType(rest);
    std::string joined;
    bool more = takeHexSegment(rest, joined);
    while (more && !lines.atEnd())
        more = takeHexSegment(lines.next(), joined);
    if (!type || more)
        return std::nullopt;
    auto raw = parseHexBytes(joined);
    if (!raw)
        return std::nullopt;
    const bool wide = version5 && (*type == REG_SZ || *type == REG_EXPAND_SZ || *type == REG_MULTI_SZ);
    if (!wide)
        return Value{*type, std::move(*raw)};
    if (raw->size() % 2 != 0)
        return std::nullopt;
    return Value{*type, utf16leToUtf8(*raw)}; // the "A" calls hand strings out narrow
}

// The data after "=": nullopt for a deleted ("-") or broken value, which
// is then missing.
std::optional<Value> valueData(std::string_view data, LineCursor &lines, bool version5)
{
    if (!data.empty() && data.front() == '"')
        return stringData(data);
    if (startsWithFolded(data, "dword:"))
        return dwordData(data.substr(6));
    if (startsWithFolded(data, "hex"))
        return hexData(data.substr(3), lines, version5);
    return std::nullopt;
}

struct ValueLine
{
    std::string name; // empty for the default value, "@"
    std::optional<Value> value;
};

// The value step: "name"=data or @=data. nullopt for a line that names no
// value; the lines a value is wrapped over are read from `lines`.
std::optional<ValueLine> valueLine(std::string_view line, LineCursor &lines, bool version5)
{
    if (line.front() != '"' && line.front() != '@')
        return std::nullopt; // not a line regedit would write; ignored
    std::size_t pos = 1;
    ValueLine entry;
    if (line.front() == '"') {
        auto quoted = parseQuoted(line, pos);
        if (!quoted)
            return std::nullopt; // no name, so there is no value to mark missing
        entry.name = std::move(*quoted);
    }
    pos = skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    entry.value = valueData(line.substr(skipBlanks(line, pos + 1)), lines, version5);
    return entry;
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

    // The key step: "[HKEY_LOCAL_MACHINE\A]" adds the key and gives its path,
    // "[-HKEY_LOCAL_MACHINE\A]" deletes it with its subkeys. A broken line or
    // another root gives no key, and the values below it are skipped.
    std::optional<std::string> section(std::string_view line)
    {
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close < 1)
            return std::nullopt;
        std::string_view inner = line.substr(1, close - 1);
        const bool remove = !inner.empty() && inner.front() == '-';
        if (remove)
            inner.remove_prefix(1);
        auto path = machinePath(inner);
        if (!path)
            return std::nullopt;
        if (remove) {
            deleteKey(*path);
            return std::nullopt;
        }
        addKey(*path);
        return path;
    }

    // A value without data was deleted, or broken and so is missing.
    void setValue(const std::string &path, const std::string &name, std::optional<Value> value)
    {
        auto &values = m_hive.m_keys[path];
        const std::string key = folded(name);
        if (value)
            values[key] = std::move(*value);
        else
            values.erase(key);
    }

private:
    Hive &m_hive;
};

Hive Hive::parse(std::string_view bytes)
{
    Hive hive;
    const std::string text = decodedText(bytes);
    LineCursor lines(text);
    const std::optional<bool> version5 = isVersion5(lines.next());
    if (!version5)
        return hive;

    HiveBuilder builder(hive);
    // The key the following values belong to; none after a broken section
    // line or a key of another root, whose values are then skipped.
    std::optional<std::string> current;
    while (!lines.atEnd()) {
        const std::string_view line = trimmed(lines.next());
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[')
            current = builder.section(line);
        else if (auto entry = valueLine(line, lines, *version5); entry && current)
            builder.setValue(*current, entry->name, std::move(entry->value));
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

// The file is only ever read: whatever rights the caller asks for, the key
// opens for reading, which is all the About window asks for.
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
    const std::optional<std::string> path = normalizedPath(full);
    if (!path || !m_hive.hasKey(*path))
        return ERROR_FILE_NOT_FOUND;
    const HKEY handle = m_nextHandle++;
    m_open[handle] = *path;
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
    std::copy(value->data.begin(), value->data.end(), data);
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
