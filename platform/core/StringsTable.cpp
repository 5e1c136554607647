#include "StringsTable.h"

#include <QFile>
#include <QStringDecoder>

namespace zelk {
namespace {

class Parser {
public:
    explicit Parser(const QString& text) : s(text) {}

    // Answers false with the reason at the first bad entry.
    bool run(QHash<QString, QString>& out, QString* error)
    {
        for (;;) {
            if (!skipSpace())
                return failed(error);
            if (i >= s.size())
                return true;
            QString key, value;
            if (!token(&key))
                return failed(error);
            if (!skipSpace())
                return failed(error);
            if (i < s.size() && s[i] == u'=') {
                ++i;
                if (!skipSpace() || !token(&value) || !skipSpace())
                    return failed(error);
            } else {
                value = key; // "key"; stands for "key" = "key";
            }
            if (i >= s.size() || s[i] != u';') {
                m_error = QStringLiteral("expected ';'");
                return failed(error);
            }
            ++i;
            out.insert(key, value);
        }
    }

private:
    bool failed(QString* error)
    {
        if (error) {
            const int line = int(s.left(i).count(u'\n')) + 1;
            *error = QStringLiteral("line %1: %2").arg(line).arg(m_error);
        }
        return false;
    }

    bool skipSpace()
    {
        while (i < s.size()) {
            const QChar c = s[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'/') {
                while (i < s.size() && s[i] != u'\n')
                    ++i;
            } else if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'*') {
                const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
                if (end < 0) {
                    m_error = QStringLiteral("unterminated comment");
                    return false;
                }
                i = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    static bool isBare(QChar c)
    {
        return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'-';
    }

    bool token(QString* out)
    {
        if (i >= s.size()) {
            m_error = QStringLiteral("unexpected end of text");
            return false;
        }
        if (s[i] == u'"')
            return quoted(out);
        const qsizetype start = i;
        while (i < s.size() && isBare(s[i]))
            ++i;
        if (i == start) {
            m_error = QStringLiteral("unexpected '%1'").arg(s[i]);
            return false;
        }
        *out = s.mid(start, i - start);
        return true;
    }

    bool quoted(QString* out)
    {
        ++i; // opening quote
        QString v;
        while (i < s.size()) {
            const QChar c = s[i++];
            if (c == u'"') {
                *out = v;
                return true;
            }
            if (c != u'\\') {
                v.append(c);
                continue;
            }
            if (i >= s.size())
                break;
            const QChar e = s[i++];
            switch (e.unicode()) {
            case 'n': v.append(u'\n'); break;
            case 't': v.append(u'\t'); break;
            case 'r': v.append(u'\r'); break;
            case 'U':
            case 'u': {
                bool ok = false;
                const uint code = s.mid(i, 4).toUInt(&ok, 16);
                if (!ok || s.mid(i, 4).size() != 4) {
                    m_error = QStringLiteral("bad \\U escape");
                    return false;
                }
                i += 4;
                v.append(QChar(char16_t(code)));
                break;
            }
            default: v.append(e); // \" \\ and any other escaped character
            }
        }
        m_error = QStringLiteral("unterminated string");
        return false;
    }

    const QString& s;
    qsizetype i = 0;
    QString m_error;
};

} // namespace

StringsTable StringsTable::parse(const QString& text, QString* error)
{
    StringsTable t;
    Parser(text).run(t.m_entries, error);
    return t;
}

StringsTable StringsTable::load(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return {};
    }
    const QByteArray bytes = f.readAll();
    // Tables come as UTF-8 or, with a byte order mark, UTF-16.
    auto encoding = QStringConverter::encodingForData(bytes);
    QStringDecoder decode(encoding.value_or(QStringConverter::Utf8));
    const QString text = decode(bytes);
    if (decode.hasError()) {
        if (error)
            *error = QStringLiteral("%1: not valid text").arg(path);
        return {};
    }
    QString why;
    StringsTable t = parse(text, &why);
    if (!why.isEmpty() && error)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return t;
}

} // namespace zelk
