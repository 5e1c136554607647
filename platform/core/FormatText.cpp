#include "FormatText.h"

namespace zelk {

QString fillFormat(const QString& format, const QVariantList& args)
{
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0; // the next argument for a specifier without "n$"
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != u'%' || i + 1 >= n) {
            out += c;
            continue;
        }
        if (format.at(i + 1) == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        bool positional = false;
        qsizetype position = 0;
        qsizetype k = j;
        while (k < n && format.at(k).isDigit())
            ++k;
        if (k > j && k < n && format.at(k) == u'$') {
            positional = true;
            position = format.mid(j, k - j).toLongLong() - 1;
            j = k + 1;
        }
        while (j < n && QStringLiteral("-+ #0123456789.").contains(format.at(j)))
            ++j;
        while (j < n && QStringLiteral("hlqLjzt").contains(format.at(j)))
            ++j;
        if (j >= n) {
            out += format.mid(i);
            break;
        }
        const QChar conv = format.at(j);
        const qsizetype index = positional ? position : next++;
        const QVariant arg = index >= 0 && index < args.size() ? args.at(index) : QVariant();
        switch (conv.unicode()) {
        case '@':
        case 's':
            out += arg.toString();
            break;
        case 'd':
        case 'i':
            if (arg.isValid())
                out += QString::number(arg.toLongLong());
            break;
        case 'u':
            if (arg.isValid())
                out += QString::number(arg.toULongLong());
            break;
        case 'x':
            if (arg.isValid())
                out += QString::number(arg.toULongLong(), 16);
            break;
        case 'X':
            if (arg.isValid())
                out += QString::number(arg.toULongLong(), 16).toUpper();
            break;
        case 'f':
        case 'g':
        case 'e':
            if (arg.isValid())
                out += QString::number(arg.toDouble());
            break;
        default:
            // Not a conversion we know: kept as written, using no argument.
            out += format.mid(i, j - i + 1);
            if (!positional)
                --next;
            break;
        }
        i = j;
    }
    return out;
}

QString fillSentence(const QString& format, const QVariantList& args)
{
    if (!format.endsWith(u'.') || format.endsWith(QLatin1String("..")))
        return fillFormat(format, args);
    QString out = fillFormat(format.chopped(1), args);
    if (out.isEmpty() || !QStringLiteral(".!?\u2026").contains(out.back()))
        out += u'.';
    return out;
}

} // namespace zelk
