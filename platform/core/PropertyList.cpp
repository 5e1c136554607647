// XML property lists are read with QXmlStreamReader and written here:
// libplist 2.2 drops the fraction of a date in both directions, keeps dates
// in 32-bit seconds and reports no reason for a failed parse. Binary
// property lists go through libplist.
#include "PropertyList.h"

#include "AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <limits>
#include <plist/plist.h>
#include <vector>

namespace zelk::plist {
namespace {

// Deeper trees than this are refused rather than risking the stack.
constexpr int MaxDepth = 512;

const QDateTime& referenceDate()
{
    static const QDateTime ref(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return ref;
}

QVariant integerVariant(quint64 bits, bool isUnsigned)
{
    if (isUnsigned && bits > quint64(std::numeric_limits<qint64>::max()))
        return QVariant::fromValue<quint64>(bits);
    return QVariant::fromValue<qint64>(qint64(bits));
}

// ---- XML reading -----------------------------------------------------------

// The text of an <integer>: decimal with an optional sign, hexadecimal
// only after "0x" (base 0 would read "010" as octal and refuse "08").
// Negative values must fit qint64, others quint64.
std::optional<QVariant> parseInteger(QStringView text)
{
    const QByteArray latin = text.toLatin1();
    const char* p = latin.constData();
    const char* end = p + latin.size();
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    int base = 10;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    // from_chars takes a sign of its own: only digits may follow ours.
    if (p == end || !std::isxdigit(static_cast<unsigned char>(*p)))
        return std::nullopt;
    quint64 magnitude = 0;
    const auto [stop, ec] = std::from_chars(p, end, magnitude, base);
    if (ec != std::errc() || stop != end)
        return std::nullopt;
    if (!negative)
        return integerVariant(magnitude, true);
    if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
        return std::nullopt;
    return QVariant::fromValue<qint64>(qint64(0 - magnitude));
}


// A pull reader for the XML of property lists, straight over UTF-8 bytes:
// elements with attributes, character data with the predefined entities
// and character references, CDATA, comments and processing instructions.
// A document type is skipped, so the entities it declares stay unknown
// (and expand to nothing). QXmlStreamReader took most of a data file's
// load time; this reads the same documents and refuses the same faults.
class XmlReader {
public:
    explicit XmlReader(const QByteArray& data) : m_data(data)
    {
        m_begin = m_p = m_data.constData();
        m_end = m_begin + m_data.size();
    }

    std::optional<QVariant> run(QString* error)
    {
        std::optional<QVariant> result;
        if (toUtf8()) {
            if (nextElement()) {
                if (m_name == "plist") {
                    if (nextElement())
                        result = value(0);
                    else if (!m_failed)
                        fail(QStringLiteral("<plist> holds no value"));
                    if (result && nextElement()) {
                        fail(QStringLiteral("<plist> holds more than one value"));
                        result.reset();
                    } else if (result && !expectEnd()) {
                        result.reset();
                    }
                } else {
                    result = value(0);
                }
            } else if (!m_failed) {
                fail(QStringLiteral("no property list element"));
            }
            // Only comments and white space may follow the root element.
            if (result && nextElement())
                fail(QStringLiteral("unexpected content after the property list"));
            if (m_failed)
                result.reset();
        }
        if (!result && error)
            *error = m_error;
        return result;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    static bool isNameStart(char c)
    {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
    }
    static bool isNameChar(char c)
    {
        return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    }
    bool startsWith(std::string_view s) const { return size_t(m_end - m_p) >= s.size() && std::string_view(m_p, s.size()) == s; }

    // Other encodings than UTF-8 (a UTF-16 byte-order mark, or a declared
    // one) are read through a UTF-8 copy; anything that does not decode
    // cleanly is refused.
    bool toUtf8()
    {
        const QByteArrayView head(m_begin, std::min<qsizetype>(m_data.size(), 256));
        QStringConverter::Encoding encoding = QStringConverter::Utf8;
        if (head.startsWith("\xFE\xFF") || head.startsWith("\xFF\xFE")) {
            encoding = head.startsWith("\xFE\xFF") ? QStringConverter::Utf16BE : QStringConverter::Utf16LE;
        } else if (head.startsWith("<?xml")) {
            const qsizetype at = head.indexOf("encoding");
            const qsizetype close = head.indexOf("?>");
            if (at > 0 && (close < 0 || at < close)) {
                qsizetype q = at + 8;
                while (q < head.size() && (isSpace(head[q]) || head[q] == '='))
                    ++q;
                const qsizetype stop = q < head.size() ? head.indexOf(head[q], q + 1) : -1;
                if (stop > q) {
                    const QByteArray name = head.sliced(q + 1, stop - q - 1).toByteArray().toLower();
                    if (name != "utf-8" && name != "us-ascii" && name != "ascii") {
                        const auto named = QStringConverter::encodingForName(name.constData());
                        if (!named)
                            return refuse(QStringLiteral("unsupported encoding \"%1\"").arg(QString::fromLatin1(name)));
                        encoding = *named;
                    }
                }
            }
        }
        if (encoding != QStringConverter::Utf8) {
            QStringDecoder decode(encoding);
            const QString text = decode(m_data);
            if (decode.hasError())
                return refuse(QStringLiteral("the text does not decode as its encoding"));
            m_data = text.toUtf8();
            m_begin = m_p = m_data.constData();
            m_end = m_begin + m_data.size();
        } else if (!QByteArrayView(m_data).isValidUtf8()) {
            return refuse(QStringLiteral("the text is not valid UTF-8"));
        }
        if (startsWith("\xEF\xBB\xBF"))
            m_p += 3;
        return true;
    }

    QString describe(const char* at, const QString& what) const
    {
        const std::string_view before(m_begin, size_t(at - m_begin));
        const size_t line = std::count(before.begin(), before.end(), '\n') + 1;
        const size_t lineStart = before.rfind('\n');
        const size_t column = lineStart == std::string_view::npos ? before.size() + 1 : before.size() - lineStart;
        return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(what);
    }

    std::nullopt_t fail(const QString& what)
    {
        if (!m_failed)
            m_error = describe(std::min(m_p, m_end), what);
        m_failed = true;
        return std::nullopt;
    }
    bool refuse(const QString& what)
    {
        fail(what);
        return false;
    }

    // Skips "<!--...-->", "<?...?>" or, before the root, "<!DOCTYPE...>"
    // at m_p; false when there is none there (or on an error).
    bool skipMarkup()
    {
        auto skipPast = [this](std::string_view close) {
            const std::string_view rest(m_p, size_t(m_end - m_p));
            const size_t at = rest.find(close);
            if (at == std::string_view::npos) {
                m_p = m_end;
                return refuse(QStringLiteral("premature end of document"));
            }
            m_p += at + close.size();
            return true;
        };
        if (startsWith("<!--")) {
            m_p += 4;
            return skipPast("-->");
        }
        if (startsWith("<?")) {
            m_p += 2;
            return skipPast("?>");
        }
        if (startsWith("<!DOCTYPE")) {
            if (m_rootSeen)
                return refuse(QStringLiteral("a document type inside the document"));
            // Up to the '>' outside quotes, comments and the internal subset.
            int depth = 0;
            for (m_p += 9; m_p < m_end; ++m_p) {
                if (startsWith("<!--")) {
                    const size_t close = std::string_view(m_p, size_t(m_end - m_p)).find("-->");
                    if (close == std::string_view::npos)
                        break;
                    m_p += close + 2;
                } else if (*m_p == '"' || *m_p == '\'') {
                    const char* close = static_cast<const char*>(memchr(m_p + 1, *m_p, size_t(m_end - m_p - 1)));
                    if (!close)
                        break;
                    m_p = close;
                } else if (*m_p == '[') {
                    ++depth;
                } else if (*m_p == ']') {
                    --depth;
                } else if (*m_p == '>' && depth <= 0) {
                    ++m_p;
                    return true;
                }
            }
            m_p = m_end;
            return refuse(QStringLiteral("premature end of document"));
        }
        return false;
    }

    std::string_view name()
    {
        const char* start = m_p;
        if (m_p < m_end && isNameStart(*m_p)) {
            while (++m_p < m_end && isNameChar(*m_p)) {
            }
        }
        return {start, size_t(m_p - start)};
    }

    void skipSpace()
    {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
    }

    // At "<": a start tag, its attributes read over.
    bool startTag()
    {
        ++m_p;
        m_name = name();
        if (m_name.empty())
            return refuse(QStringLiteral("expected an element name"));
        for (;;) {
            const bool spaced = m_p < m_end && isSpace(*m_p);
            skipSpace();
            if (m_p >= m_end)
                return refuse(QStringLiteral("premature end of document"));
            if (*m_p == '>' || startsWith("/>")) {
                m_selfClosing = *m_p == '/';
                m_p += m_selfClosing ? 2 : 1;
                m_open.push_back(m_name);
                m_rootSeen = true;
                return true;
            }
            const std::string_view attribute = name();
            skipSpace();
            if (!spaced || attribute.empty() || m_p >= m_end || *m_p++ != '=')
                return refuse(QStringLiteral("malformed attribute in <%1>").arg(QString::fromUtf8(m_name)));
            skipSpace();
            if (m_p >= m_end || (*m_p != '"' && *m_p != '\''))
                return refuse(QStringLiteral("unquoted attribute value"));
            const char quote = *m_p++;
            const char* close = static_cast<const char*>(memchr(m_p, quote, size_t(m_end - m_p)));
            if (!close)
                return refuse(QStringLiteral("premature end of document"));
            if (std::find(m_p, close, '<') != close)
                return refuse(QStringLiteral("'<' in an attribute value"));
            m_p = close + 1;
        }
    }

    // At "</": the end tag of the innermost open element.
    bool endTag()
    {
        m_p += 2;
        const std::string_view closing = name();
        skipSpace();
        if (m_p >= m_end || *m_p != '>')
            return refuse(QStringLiteral("malformed end tag"));
        ++m_p;
        if (m_open.empty() || m_open.back() != closing)
            return refuse(QStringLiteral("opening and ending tag mismatch"));
        m_open.pop_back();
        m_atEnd = true;
        return true;
    }

    // Advances to the next start element; false at an end element, the end
    // of input or an error. Stray text is an error.
    bool nextElement()
    {
        if (m_failed)
            return false;
        m_atEnd = false;
        if (m_selfClosing) {
            m_selfClosing = false;
            m_open.pop_back();
            m_atEnd = true;
            return false;
        }
        for (;;) {
            const char* text = m_p;
            while (m_p < m_end && *m_p != '<')
                ++m_p;
            const char* nonSpace = std::find_if_not(text, m_p, isSpace);
            if (nonSpace != m_p) {
                m_p = nonSpace;
                const qsizetype shown = std::min<qsizetype>(20, std::find(nonSpace, m_end, '<') - nonSpace);
                return refuse(QStringLiteral("unexpected text \"%1\"").arg(QString::fromUtf8(nonSpace, shown)));
            }
            if (m_p >= m_end) {
                if (!m_open.empty())
                    fail(QStringLiteral("premature end of document"));
                return false;
            }
            if (startsWith("<![CDATA[")) {
                const char* start = m_p + 9;
                const std::string_view rest(start, size_t(m_end - start));
                const size_t close = rest.find("]]>");
                if (close == std::string_view::npos)
                    return refuse(QStringLiteral("premature end of document"));
                if (std::find_if_not(start, start + close, isSpace) != start + close || m_open.empty())
                    return refuse(QStringLiteral("unexpected character data"));
                m_p = start + close + 3;
                continue;
            }
            if (startsWith("</")) {
                endTag();
                return false;
            }
            if (m_p + 1 < m_end && (m_p[1] == '!' || m_p[1] == '?')) {
                if (!skipMarkup())
                    return refuse(QStringLiteral("malformed markup"));
                continue;
            }
            return startTag();
        }
    }

    // After a container's last child: true when the container ended cleanly.
    bool expectEnd()
    {
        if (m_failed)
            return false;
        if (!m_atEnd) {
            fail(QStringLiteral("unexpected end of input"));
            return false;
        }
        return true;
    }

    // Character data, with line ends folded as XML folds them; false on a
    // character XML cannot carry.
    bool appendText(QByteArray& out, const char* from, const char* to)
    {
        for (const char* c = from; c < to; ++c) {
            const auto u = static_cast<unsigned char>(*c);
            if (u == '\r') {
                out.append('\n');
                if (c + 1 < to && c[1] == '\n')
                    ++c;
            } else if ((u < 0x20 && u != '\t' && u != '\n')
                       || (u == 0xEF && to - c >= 3 && uchar(c[1]) == 0xBF && (uchar(c[2]) == 0xBE || uchar(c[2]) == 0xBF))) {
                m_p = c;
                return refuse(QStringLiteral("a character XML cannot carry"));
            } else {
                out.append(*c);
            }
        }
        return true;
    }

    // At '&': a predefined entity or a character reference.
    bool appendEntity(QByteArray& out)
    {
        const char* semicolon = static_cast<const char*>(memchr(m_p, ';', size_t(std::min<qsizetype>(m_end - m_p, 12))));
        if (!semicolon)
            return refuse(QStringLiteral("malformed entity reference"));
        const std::string_view entity(m_p + 1, size_t(semicolon - m_p - 1));
        static constexpr std::pair<std::string_view, char> named[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [n, c] : named) {
            if (entity == n) {
                out.append(c);
                m_p = semicolon + 1;
                return true;
            }
        }
        uint code = 0;
        std::from_chars_result parsed{};
        if (entity.size() > 2 && entity[0] == '#' && entity[1] == 'x')
            parsed = std::from_chars(entity.data() + 2, entity.data() + entity.size(), code, 16);
        else if (entity.size() > 1 && entity[0] == '#')
            parsed = std::from_chars(entity.data() + 1, entity.data() + entity.size(), code, 10);
        else
            return refuse(QStringLiteral("undefined entity \"%1\"").arg(QString::fromUtf8(entity.data(), qsizetype(entity.size()))));
        const bool isChar = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
                            || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
        if (parsed.ec != std::errc() || parsed.ptr != entity.data() + entity.size() || !isChar)
            return refuse(QStringLiteral("bad character reference"));
        const char32_t c = code;
        out.append(QString::fromUcs4(&c, 1).toUtf8());
        m_p = semicolon + 1;
        return true;
    }

    // The text of the current element up to its end tag; elements inside
    // are an error. Keys come from a small set and are kept once.
    std::optional<QString> text(bool isKey = false)
    {
        if (m_failed)
            return std::nullopt;
        if (m_selfClosing) {
            m_selfClosing = false;
            m_open.pop_back();
            m_atEnd = true;
            return QString();
        }
        // Mostly plain text right up to the end tag.
        const char* start = m_p;
        const char* lt = static_cast<const char*>(memchr(m_p, '<', size_t(m_end - m_p)));
        if (lt && lt + 1 < m_end && lt[1] == '/'
            && std::find_if(start, lt, [](char c) { return c == '&' || uchar(c) < 0x20 || uchar(c) == 0xEF; }) == lt) {
            m_p = lt;
            if (!endTag())
                return std::nullopt;
            const QByteArrayView plain(start, lt - start);
            if (!isKey)
                return QString::fromUtf8(plain);
            auto kept = m_keys.constFind(plain);
            if (kept == m_keys.cend())
                kept = m_keys.insert(plain, QString::fromUtf8(plain));
            return *kept;
        }
        QByteArray out;
        for (;;) {
            const char* stop = m_p;
            while (stop < m_end && *stop != '<' && *stop != '&')
                ++stop;
            if (!appendText(out, m_p, stop))
                return std::nullopt;
            m_p = stop;
            if (m_p >= m_end)
                return fail(QStringLiteral("premature end of document"));
            if (*m_p == '&') {
                if (!appendEntity(out))
                    return std::nullopt;
            } else if (startsWith("<![CDATA[")) {
                const char* cdata = m_p + 9;
                const size_t close = std::string_view(cdata, size_t(m_end - cdata)).find("]]>");
                if (close == std::string_view::npos)
                    return fail(QStringLiteral("premature end of document"));
                if (!appendText(out, cdata, cdata + close))
                    return std::nullopt;
                m_p = cdata + close + 3;
            } else if (startsWith("</")) {
                if (!endTag())
                    return std::nullopt;
                return QString::fromUtf8(out);
            } else if (!skipMarkup()) {
                return fail(QStringLiteral("expected character data"));
            }
        }
    }

    std::optional<QVariant> value(int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
        const std::string_view name = m_name;
        if (name == "dict")
            return dict(depth);
        if (name == "array")
            return array(depth);
        if (name == "string") {
            auto t = text();
            if (!t)
                return std::nullopt;
            return QVariant(*t);
        }
        if (name == "integer")
            return integer();
        if (name == "real")
            return real();
        if (name == "true" || name == "false") {
            const bool v = name == "true";
            if (!nextElement() && expectEnd())
                return QVariant(v);
            return fail(QStringLiteral("<true/> and <false/> hold nothing"));
        }
        if (name == "date")
            return date();
        if (name == "data")
            return bytes();
        return fail(QStringLiteral("unknown element <%1>").arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    }

    std::optional<QVariant> dict(int depth)
    {
        QVariantMap map;
        while (nextElement()) {
            if (m_name != "key")
                return fail(QStringLiteral("<dict> expects <key>, found <%1>").arg(QString::fromUtf8(m_name.data(), qsizetype(m_name.size()))));
            auto key = text(true);
            if (!key)
                return std::nullopt;
            if (!nextElement()) {
                if (!m_failed)
                    fail(QStringLiteral("key \"%1\" has no value").arg(*key));
                return std::nullopt;
            }
            auto v = value(depth + 1);
            if (!v)
                return std::nullopt;
            map.insert(*key, *v);
        }
        if (!expectEnd())
            return std::nullopt;
        return QVariant(map);
    }

    std::optional<QVariant> array(int depth)
    {
        QVariantList list;
        while (nextElement()) {
            auto v = value(depth + 1);
            if (!v)
                return std::nullopt;
            list.append(*v);
        }
        if (!expectEnd())
            return std::nullopt;
        return QVariant(list);
    }

    std::optional<QVariant> integer()
    {
        auto t = text();
        if (!t)
            return std::nullopt;
        const QString s = t->trimmed();
        if (auto v = parseInteger(s))
            return v;
        return fail(QStringLiteral("bad integer \"%1\"").arg(s.left(40)));
    }

    std::optional<QVariant> real()
    {
        auto t = text();
        if (!t)
            return std::nullopt;
        const QString s = t->trimmed();
        const QString l = s.toLower();
        if (l == u"nan")
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (l == u"inf" || l == u"+inf" || l == u"infinity" || l == u"+infinity")
            return QVariant(std::numeric_limits<double>::infinity());
        if (l == u"-inf" || l == u"-infinity")
            return QVariant(-std::numeric_limits<double>::infinity());
        bool ok = false;
        const double v = s.toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("bad real \"%1\"").arg(s.left(40)));
        return QVariant(v);
    }

    std::optional<QVariant> date()
    {
        auto t = text();
        if (!t)
            return std::nullopt;
        const QString s = t->trimmed();
        // yyyy-mm-ddThh:mm:ss[.fraction]Z, always UTC.
        QDateTime d;
        if (s.endsWith(u'Z') && s.size() >= 20 && s[10] == u'T')
            d = QDateTime::fromString(s, Qt::ISODateWithMs);
        if (!d.isValid())
            return fail(QStringLiteral("bad date \"%1\"").arg(s.left(40)));
        return QVariant(d.toUTC());
    }

    std::optional<QVariant> bytes()
    {
        auto t = text();
        if (!t)
            return std::nullopt;
        QByteArray b64 = t->toLatin1();
        b64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
        auto decoded = QByteArray::fromBase64Encoding(b64, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("bad base64 data"));
        return QVariant(*decoded);
    }

    QByteArray m_data;
    const char* m_begin = nullptr;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    std::vector<std::string_view> m_open; // the elements open around m_p
    std::string_view m_name;              // of the last start tag
    bool m_selfClosing = false;           // ... which ended itself: its end is due
    bool m_atEnd = false;                 // the last tag read was an end tag
    bool m_rootSeen = false;
    bool m_failed = false;
    QString m_error;
    QHash<QByteArrayView, QString> m_keys;
};

// ---- binary reading (libplist) ---------------------------------------------

struct PlistFree {
    void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

std::optional<QVariant> fromNode(plist_t node, int depth, QString* error)
{
    if (depth > MaxDepth) {
        *error = QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth);
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t v = 0;
        plist_get_bool_val(node, &v);
        return QVariant(v != 0);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        // libplist 2.2 keeps a signed 64-bit integer and an unsigned one
        // above INT64_MAX in the same field; only the node's hidden length
        // (16 for the unsigned kind) tells them apart, and comparing with a
        // fresh node of the same bits (length 8) reveals it.
        bool isUnsigned = false;
        if (v > uint64_t(std::numeric_limits<int64_t>::max())) {
            PlistPtr probe(plist_new_uint(v));
            isUnsigned = !plist_compare_node_value(node, probe.get());
        }
        return integerVariant(v, isUnsigned);
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return QVariant(v);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t len = 0;
        const char* p = plist_get_string_ptr(node, &len);
        return QVariant(p ? QString::fromUtf8(p, qsizetype(len)) : QString());
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 ms = qint64(sec) * 1000 + qint64(std::llround(usec / 1000.0));
        return QVariant(referenceDate().addMSecs(ms));
    }
    case PLIST_DATA: {
        uint64_t len = 0;
        const char* p = plist_get_data_ptr(node, &len);
        return QVariant(p ? QByteArray(p, qsizetype(len)) : QByteArray());
    }
    case PLIST_UID: {
        uint64_t v = 0;
        plist_get_uid_val(node, &v);
        // The XML form of a UID.
        return QVariant(QVariantMap{{QStringLiteral("CF$UID"), integerVariant(v, true)}});
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(qsizetype(n));
        for (uint32_t i = 0; i < n; ++i) {
            plist_t item = plist_array_get_item(node, i);
            if (!item) {
                *error = QStringLiteral("array item %1 missing").arg(i);
                return std::nullopt;
            }
            auto v = fromNode(item, depth + 1, error);
            if (!v)
                return std::nullopt;
            list.append(*v);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                free(key);
                break;
            }
            const QString k = QString::fromUtf8(key ? key : "");
            free(key);
            auto v = fromNode(item, depth + 1, error);
            if (!v) {
                free(it);
                return std::nullopt;
            }
            map.insert(k, *v);
        }
        free(it);
        return QVariant(map);
    }
    default:
        *error = QStringLiteral("unknown value type");
        return std::nullopt;
    }
}

// libplist 2.2 trusts too much of a binary property list: a dictionary key
// that is not a string or holds a NUL character aborts the process inside
// libplist, and an object shared many times over is copied each time it is
// referenced. So the structure is checked here first: trailer, offset
// table, every object's size within the data, references in range, string
// keys, no cycles, and a bounded number of values once shared objects are
// expanded.
class BinaryCheck {
public:
    // Expanded values beyond this are refused (a data file of 10,000 actions
    // has about 150,000).
    static constexpr quint64 MaxValues = 4'000'000;

    BinaryCheck(const QByteArray& data)
        : m_d(reinterpret_cast<const uchar*>(data.constData())), m_size(quint64(data.size()))
    {
    }

    bool run(QString* error)
    {
        if (!trailer() || !visit(m_top, 0)) {
            *error = QStringLiteral("malformed binary property list: %1").arg(m_error);
            return false;
        }
        return true;
    }

private:
    bool fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
        return false;
    }

    quint64 be(quint64 at, int bytes) const
    {
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | m_d[at + quint64(i)];
        return v;
    }

    bool trailer()
    {
        constexpr quint64 TrailerSize = 32, HeaderSize = 8;
        if (m_size < HeaderSize + TrailerSize + 1)
            return fail(QStringLiteral("too short"));
        const quint64 t = m_size - TrailerSize;
        m_offsetSize = m_d[t + 6];
        m_refSize = m_d[t + 7];
        m_count = be(t + 8, 8);
        m_top = be(t + 16, 8);
        m_tableOffset = be(t + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
            return fail(QStringLiteral("bad integer sizes in the trailer"));
        // Every object takes at least a byte between header and table.
        if (m_count == 0 || m_count > m_tableOffset - std::min(m_tableOffset, HeaderSize) || m_top >= m_count)
            return fail(QStringLiteral("bad object count"));
        if (m_tableOffset < HeaderSize || m_tableOffset > t || (t - m_tableOffset) / m_offsetSize < m_count)
            return fail(QStringLiteral("offset table out of range"));
        m_state.assign(size_t(m_count), Unseen);
        m_values.assign(size_t(m_count), 0);
        return true;
    }

    // Where an object starts; objects lie between the header and the table.
    bool objectAt(quint64 ref, quint64* at)
    {
        if (ref >= m_count)
            return fail(QStringLiteral("reference out of range"));
        *at = be(m_tableOffset + ref * m_offsetSize, m_offsetSize);
        if (*at < 8 || *at >= m_tableOffset)
            return fail(QStringLiteral("object offset out of range"));
        return true;
    }

    // The count that follows a marker: its low nibble, or an integer
    // object after it when the nibble is 0xF.
    bool count(quint64 at, quint64* n, quint64* body)
    {
        const uint nibble = m_d[at] & 0x0f;
        *body = at + 1;
        if (nibble != 0x0f) {
            *n = nibble;
            return true;
        }
        if (*body >= m_tableOffset || (m_d[*body] & 0xf0) != 0x10 || (m_d[*body] & 0x0f) > 3)
            return fail(QStringLiteral("bad length"));
        const int bytes = 1 << (m_d[*body] & 0x0f);
        if (*body + 1 + quint64(bytes) > m_tableOffset)
            return fail(QStringLiteral("length runs past the objects"));
        *n = be(*body + 1, bytes);
        *body += 1 + quint64(bytes);
        return true;
    }

    bool fits(quint64 at, quint64 n, quint64 unit)
    {
        if (n > (m_tableOffset - at) / unit)
            return fail(QStringLiteral("object runs past the objects"));
        return true;
    }

    // libplist asserts that a key holds no NUL character.
    bool isKey(quint64 ref)
    {
        quint64 at = 0, n = 0, body = 0;
        if (!objectAt(ref, &at))
            return false;
        const uint kind = m_d[at] >> 4;
        if (kind != 0x5 && kind != 0x6)
            return fail(QStringLiteral("dictionary key is not a string"));
        const quint64 unit = kind == 0x5 ? 1 : 2;
        if (!count(at, &n, &body) || !fits(body, n, unit))
            return false;
        for (quint64 i = 0; i < n; ++i) {
            if (be(body + i * unit, int(unit)) == 0)
                return fail(QStringLiteral("dictionary key holds a NUL character"));
        }
        return true;
    }

    bool visit(quint64 ref, int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
        if (ref >= m_count)
            return fail(QStringLiteral("reference out of range"));
        if (m_state[ref] == Done)
            return true;
        if (m_state[ref] == OnPath)
            return fail(QStringLiteral("an object contains itself"));
        m_state[ref] = OnPath;
        quint64 at = 0;
        if (!objectAt(ref, &at))
            return false;
        const uint marker = m_d[at];
        quint64 n = 0, body = 0, values = 1;
        switch (marker >> 4) {
        case 0x0:
            if (marker != 0x08 && marker != 0x09)
                return fail(QStringLiteral("unsupported object 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
            break;
        case 0x1:
            if ((marker & 0x0f) > 4 || !fits(at + 1, 1ull << (marker & 0x0f), 1))
                return fail(QStringLiteral("bad integer"));
            break;
        case 0x2:
            if (((marker & 0x0f) != 2 && (marker & 0x0f) != 3) || !fits(at + 1, 1ull << (marker & 0x0f), 1))
                return fail(QStringLiteral("bad real"));
            break;
        case 0x3:
            if (marker != 0x33 || !fits(at + 1, 8, 1))
                return fail(QStringLiteral("bad date"));
            break;
        case 0x4: // data
        case 0x5: // ASCII string
            if (!count(at, &n, &body) || !fits(body, n, 1))
                return false;
            break;
        case 0x6: // UTF-16 string
            if (!count(at, &n, &body) || !fits(body, n, 2))
                return false;
            break;
        case 0x8:
            if (!fits(at + 1, (marker & 0x0f) + 1ull, 1))
                return false;
            break;
        case 0xA:
        case 0xD: {
            const bool dict = (marker >> 4) == 0xD;
            if (!count(at, &n, &body) || !fits(body, n, m_refSize * (dict ? 2ull : 1ull)))
                return false;
            for (quint64 i = 0; i < n; ++i) {
                const quint64 child = be(body + i * m_refSize, m_refSize);
                if (dict) {
                    const quint64 value = be(body + (n + i) * m_refSize, m_refSize);
                    if (!isKey(child) || !visit(child, depth + 1) || !visit(value, depth + 1))
                        return false;
                    values = add(values, m_values[value] + 1);
                } else {
                    if (!visit(child, depth + 1))
                        return false;
                    values = add(values, m_values[child]);
                }
            }
            break;
        }
        default:
            return fail(QStringLiteral("unsupported object 0x%1").arg(marker, 2, 16, QLatin1Char('0')));
        }
        if (values > MaxValues)
            return fail(QStringLiteral("more than %1 values once shared objects are expanded").arg(MaxValues));
        m_values[ref] = values;
        m_state[ref] = Done;
        return true;
    }

    static quint64 add(quint64 a, quint64 b) { return a + b < a ? std::numeric_limits<quint64>::max() : a + b; }

    enum State : uint8_t { Unseen, OnPath, Done };
    const uchar* m_d;
    quint64 m_size;
    quint64 m_offsetSize = 0, m_refSize = 0, m_count = 0, m_top = 0, m_tableOffset = 0;
    std::vector<uint8_t> m_state;
    std::vector<quint64> m_values;
    QString m_error;
};

std::optional<QVariant> readBinary(const QByteArray& data, QString* error)
{
    if (quint64(data.size()) > std::numeric_limits<uint32_t>::max()) {
        *error = QStringLiteral("binary property list too large");
        return std::nullopt;
    }
    if (!BinaryCheck(data).run(error))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_bin(data.constData(), uint32_t(data.size()), &root);
    if (!root) {
        *error = QStringLiteral("malformed binary property list");
        return std::nullopt;
    }
    PlistPtr guard(root);
    return fromNode(root, 0, error);
}

// ---- XML writing -----------------------------------------------------------

class XmlWriter {
public:
    bool write(const QVariant& v, int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
        switch (v.metaType().id()) {
        case QMetaType::Bool:
            line(depth, v.toBool() ? "<true/>" : "<false/>");
            return true;
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::SChar:
        case QMetaType::Char:
            element(depth, "integer", QByteArray::number(v.toLongLong()));
            return true;
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UShort:
        case QMetaType::UChar:
            element(depth, "integer", QByteArray::number(v.toULongLong()));
            return true;
        case QMetaType::Double:
        case QMetaType::Float:
            element(depth, "real", real(v.toDouble()));
            return true;
        case QMetaType::QString:
            return string(depth, "string", v.toString());
        case QMetaType::QByteArray:
            data(depth, v.toByteArray());
            return true;
        case QMetaType::QDateTime:
            return date(depth, v.toDateTime());
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            const QVariantList list = v.toList();
            if (list.isEmpty()) {
                line(depth, "<array/>");
                return true;
            }
            line(depth, "<array>");
            for (const QVariant& item : list) {
                if (!write(item, depth + 1))
                    return false;
            }
            line(depth, "</array>");
            return true;
        }
        case QMetaType::QVariantMap:
        case QMetaType::QVariantHash: {
            // A map keeps its keys sorted; so does a hash once copied.
            const QVariantMap map = v.metaType().id() == QMetaType::QVariantMap ? v.toMap() : hashToMap(v.toHash());
            if (map.isEmpty()) {
                line(depth, "<dict/>");
                return true;
            }
            line(depth, "<dict>");
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                if (!string(depth + 1, "key", it.key()))
                    return false;
                if (!write(it.value(), depth + 1)) {
                    m_path.prepend(it.key()); // the message names where the bad value sits
                    return false;
                }
            }
            line(depth, "</dict>");
            return true;
        }
        default:
            if (!v.isValid())
                return fail(QStringLiteral("an empty value cannot be written"));
            return fail(QStringLiteral("a value of type %1 cannot be written").arg(QString::fromLatin1(v.typeName())));
        }
    }

    // The first reason for refusing, with the keys leading to the value.
    QString error() const
    {
        return m_path.isEmpty() ? m_error : QStringLiteral("%1 (at %2)").arg(m_error, m_path.join(u'/'));
    }

    QByteArray out;

private:
    static QVariantMap hashToMap(const QVariantHash& h)
    {
        QVariantMap m;
        for (auto it = h.cbegin(); it != h.cend(); ++it)
            m.insert(it.key(), it.value());
        return m;
    }

    bool fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
        return false;
    }

    void indent(int depth) { out.append(QByteArray(depth, '\t')); }
    void line(int depth, const char* text)
    {
        indent(depth);
        out.append(text);
        out.append('\n');
    }
    void element(int depth, const char* tag, const QByteArray& text)
    {
        indent(depth);
        out.append('<').append(tag).append('>').append(text).append("</").append(tag).append(">\n");
    }

    static QByteArray real(double d)
    {
        if (std::isnan(d))
            return "nan";
        if (std::isinf(d))
            return d > 0 ? "+infinity" : "-infinity";
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, d);
        return QByteArray(buf, r.ptr - buf);
    }

    bool string(int depth, const char* tag, const QString& s)
    {
        QByteArray text;
        text.reserve(s.size());
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            // XML 1.0 cannot carry most control characters, not even as
            // references; refuse rather than write a file nobody can read.
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF)
                return fail(QStringLiteral("text holds the character U+%1, which XML cannot carry")
                                .arg(uint(c), 4, 16, QLatin1Char('0')));
            if (QChar::isHighSurrogate(c) && !(i + 1 < s.size() && s[i + 1].isLowSurrogate()))
                return fail(QStringLiteral("text holds a lone UTF-16 surrogate"));
            if (QChar::isLowSurrogate(c) && !(i > 0 && s[i - 1].isHighSurrogate()))
                return fail(QStringLiteral("text holds a lone UTF-16 surrogate"));
        }
        for (char ch : s.toUtf8()) {
            switch (ch) {
            case '&': text.append("&amp;"); break;
            case '<': text.append("&lt;"); break;
            case '>': text.append("&gt;"); break;
            // A raw CR would be folded into a line feed by any XML reader.
            case '\r': text.append("&#13;"); break;
            default: text.append(ch);
            }
        }
        element(depth, tag, text);
        return true;
    }

    void data(int depth, const QByteArray& bytes)
    {
        const QByteArray b64 = bytes.toBase64();
        if (b64.size() <= 68) {
            element(depth, "data", b64);
            return;
        }
        line(depth, "<data>");
        for (qsizetype i = 0; i < b64.size(); i += 68) {
            indent(depth);
            out.append(b64.mid(i, 68)).append('\n');
        }
        line(depth, "</data>");
    }

    bool date(int depth, const QDateTime& dt)
    {
        if (!dt.isValid())
            return fail(QStringLiteral("an invalid date cannot be written"));
        const QDateTime u = dt.toUTC();
        if (u.date().year() < 1 || u.date().year() > 9999)
            return fail(QStringLiteral("the date %1 is out of range").arg(u.toString(Qt::ISODate)));
        // Whole seconds keep the classic form every reader knows; only a
        // date with a fraction carries it.
        QString text = u.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        const int ms = u.time().msec();
        if (ms) {
            QString frac = QStringLiteral(".%1").arg(ms, 3, 10, QLatin1Char('0'));
            while (frac.endsWith(u'0'))
                frac.chop(1);
            text += frac;
        }
        text += u'Z';
        element(depth, "date", text.toLatin1());
        return true;
    }

    QString m_error;
    QStringList m_path;
};

} // namespace

std::optional<QVariant> read(const QByteArray& data, QString* error)
{
    QString why;
    std::optional<QVariant> result;
    if (data.isEmpty())
        why = QStringLiteral("empty property list");
    else if (data.size() >= 8 && plist_is_binary(data.constData(), 8))
        result = readBinary(data, &why);
    else
        result = XmlReader(data).run(&why);
    if (!result && error)
        *error = why;
    return result;
}

QByteArray writeXml(const QVariant& value, QString* error)
{
    XmlWriter w;
    w.out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n";
    if (!w.write(value, 0)) {
        if (error)
            *error = w.error();
        return {};
    }
    w.out.append("</plist>\n");
    return w.out;
}

std::optional<qint64> integerValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> readFile(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    QString why;
    auto result = read(data, &why);
    if (!result && error)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return result;
}

bool writeFile(const QString& path, const QVariant& value, QString* error)
{
    QString why;
    const QByteArray xml = writeXml(value, &why);
    if (xml.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return writeFileAtomically(path, xml, error);
}

} // namespace zelk::plist
