#include "PropertyList.h"

#include <QDateTime>
#include <QPointF>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <plist/plist.h>

using namespace zelk;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc());
}

// Equal values of the same types, all the way down; answers where they
// differ.
QString difference(const QVariant& a, const QVariant& b, const QString& at = QStringLiteral("/"))
{
    if (a.metaType() != b.metaType())
        return QStringLiteral("%1: type %2 vs %3").arg(at, QString::fromLatin1(a.typeName()), QString::fromLatin1(b.typeName()));
    if (a.metaType().id() == QMetaType::QVariantMap) {
        const QVariantMap ma = a.toMap(), mb = b.toMap();
        if (ma.keys() != mb.keys())
            return QStringLiteral("%1: keys %2 vs %3").arg(at, ma.keys().join(','), mb.keys().join(','));
        for (auto it = ma.cbegin(); it != ma.cend(); ++it) {
            const QString d = difference(it.value(), mb.value(it.key()), at + it.key() + '/');
            if (!d.isEmpty())
                return d;
        }
        return {};
    }
    if (a.metaType().id() == QMetaType::QVariantList) {
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return QStringLiteral("%1: %2 items vs %3").arg(at).arg(la.size()).arg(lb.size());
        for (int i = 0; i < la.size(); ++i) {
            const QString d = difference(la[i], lb[i], at + QString::number(i) + '/');
            if (!d.isEmpty())
                return d;
        }
        return {};
    }
    if (a != b)
        return QStringLiteral("%1: %2 vs %3").arg(at, a.toString(), b.toString());
    return {};
}

QVariant i64(qint64 v) { return QVariant::fromValue<qint64>(v); }
QVariant u64(quint64 v) { return QVariant::fromValue<quint64>(v); }

struct RoundTrip {
    const char* name;
    QVariant value;
};

class PlistRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PlistRoundTrip, XmlKeepsValueAndType)
{
    const QVariant value = GetParam().value;
    QString error;
    const QByteArray xml = plist::writeXml(value, &error);
    ASSERT_FALSE(xml.isEmpty()) << qPrintable(error);
    const auto back = plist::read(xml, &error);
    ASSERT_TRUE(back) << qPrintable(error) << "\n" << xml.constData();
    EXPECT_EQ(difference(value, *back), QString()) << xml.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Values, PlistRoundTrip,
    ::testing::Values(
        RoundTrip{"string", QString("Hello, world")},
        RoundTrip{"markup_and_whitespace", QString("a<b>&c \"q\" 'a'\n\tline\r\nend  ")},
        RoundTrip{"unicode", QString::fromUtf8("Grüße → 日本 😀")},
        RoundTrip{"empty_string", QString()},
        RoundTrip{"zero", i64(0)},
        RoundTrip{"negative", i64(-1)},
        RoundTrip{"int64_min", i64(std::numeric_limits<qint64>::min())},
        RoundTrip{"int64_max", i64(std::numeric_limits<qint64>::max())},
        RoundTrip{"uint32_max", i64(4294967295LL)},
        RoundTrip{"uint64_max", u64(std::numeric_limits<quint64>::max())},
        RoundTrip{"above_int64_max", u64(quint64(std::numeric_limits<qint64>::max()) + 1)},
        RoundTrip{"real", QVariant(10.5)},
        RoundTrip{"real_tiny", QVariant(1e-300)},
        RoundTrip{"real_third", QVariant(1.0 / 3)},
        RoundTrip{"real_negative_whole", QVariant(-3.0)},
        RoundTrip{"real_infinity", QVariant(-std::numeric_limits<double>::infinity())},
        RoundTrip{"true", QVariant(true)},
        RoundTrip{"false", QVariant(false)},
        RoundTrip{"date", QVariant(utc(2024, 2, 29, 23, 59, 58))},
        RoundTrip{"date_subsecond", QVariant(utc(2021, 6, 1, 12, 0, 0, 250))},
        RoundTrip{"date_before_reference", QVariant(utc(1970, 1, 1, 0, 0, 0, 1))},
        RoundTrip{"date_far", QVariant(utc(2150, 1, 1, 0, 0, 0))},
        RoundTrip{"data", QVariant(QByteArray("\x00\x01\xff binary", 10))},
        RoundTrip{"data_long", QVariant(QByteArray(1000, '\x7f'))},
        RoundTrip{"data_empty", QVariant(QByteArray())},
        RoundTrip{"empty_array", QVariant(QVariantList())},
        RoundTrip{"empty_dict", QVariant(QVariantMap())},
        RoundTrip{"dict_keys_keep_text",
                  QVariant(QVariantMap{{"", 1LL}, {"a<b&c>", 2LL}, {" spaced ", 3LL}, {QString::fromUtf8("ключ"), 4LL}})},
        RoundTrip{"nested",
                  QVariant(QVariantMap{
                      {"nextID", i64(4294967295LL)},
                      {"actionsarray",
                       QVariantList{QVariantMap{{"actionname", "Type"},
                                                {"actionID", i64(-1)},
                                                {"actiondata", QVariantMap{{"Action", i64(1)}, {"Text", ""}}},
                                                {"actionnotused", false},
                                                {"when", utc(2010, 3, 4, 5, 6, 7, 890)},
                                                {"icon", QByteArray("PNG")},
                                                {"nothing", QVariantList()},
                                                {"none", QVariantMap()}},
                                   QVariantList{QVariantList{QVariantList{1.5}}}}}})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PropertyList, WritesOtherVariantTypesThroughTheirLeaf)
{
    QVariantHash hash{{"b", 2}, {"a", 1u}};
    const QVariantMap input{
        {"int", 7}, {"uint", 4294967295u}, {"float", 0.5f}, {"list", QStringList{"x", ""}}, {"hash", hash}};
    QString error;
    const auto back = plist::read(plist::writeXml(input, &error));
    ASSERT_TRUE(back) << qPrintable(error);
    const QVariantMap expected{{"int", i64(7)},
                               {"uint", i64(4294967295LL)},
                               {"float", 0.5},
                               {"list", QVariantList{"x", ""}},
                               {"hash", QVariantMap{{"a", i64(1)}, {"b", i64(2)}}}};
    EXPECT_EQ(difference(expected, *back), QString());
}

TEST(PropertyList, WholeSecondDatesUseTheClassicForm)
{
    const QByteArray xml = plist::writeXml(QVariantList{utc(2001, 1, 1, 0, 0, 10), utc(2001, 1, 1, 0, 0, 10, 500)});
    EXPECT_TRUE(xml.contains("<date>2001-01-01T00:00:10Z</date>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<date>2001-01-01T00:00:10.5Z</date>")) << xml.constData();
}

TEST(PropertyList, RefusesWhatCannotBeWritten)
{
    struct Case {
        const char* name;
        QVariant value;
    } cases[] = {
        {"invalid", QVariant()},
        {"unsupported type", QVariant::fromValue(QPointF(1, 2))},
        {"control character", QString("bell\a")},
        {"lone surrogate", QString(QChar(0xD800))},
        {"nested bad value", QVariantMap{{"outer", QVariantMap{{"inner", QVariant()}}}}},
        {"invalid date", QDateTime()},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_TRUE(plist::writeXml(c.value, &error).isEmpty()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    QString error;
    plist::writeXml(QVariantMap{{"outer", QVariantMap{{"inner", QVariant()}}}}, &error);
    EXPECT_TRUE(error.contains("outer/inner")) << qPrintable(error);
}

// ---- binary property lists, made by libplist itself ------------------------

struct PlistDeleter {
    void operator()(plist_t p) const { plist_free(p); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

QByteArray toBinary(plist_t p)
{
    char* bin = nullptr;
    uint32_t len = 0;
    plist_to_bin(p, &bin, &len);
    QByteArray out(bin, len);
    plist_to_bin_free(bin);
    return out;
}

plist_t fromXml(const char* xml)
{
    plist_t p = nullptr;
    plist_from_xml(xml, uint32_t(strlen(xml)), &p);
    return p;
}

TEST(PropertyList, ReadsBinary)
{
    Plist root(plist_new_dict());
    plist_dict_set_item(root.get(), "string", plist_new_string("héllo"));
    plist_dict_set_item(root.get(), "empty", plist_new_string(""));
    plist_dict_set_item(root.get(), "negative", plist_new_uint(uint64_t(-1)));
    plist_dict_set_item(root.get(), "uint32max", plist_new_uint(4294967295u));
    // libplist makes its unsigned 64-bit kind only when it parses one.
    Plist big(fromXml("<plist><integer>18446744073709551615</integer></plist>"));
    ASSERT_TRUE(big);
    plist_dict_set_item(root.get(), "uint64max", plist_copy(big.get()));
    plist_dict_set_item(root.get(), "real", plist_new_real(-2.25));
    plist_dict_set_item(root.get(), "yes", plist_new_bool(1));
    plist_dict_set_item(root.get(), "date", plist_new_date(10, 250000));
    plist_dict_set_item(root.get(), "data", plist_new_data("\0\1\2", 3));
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_dict());
    plist_array_append_item(list, plist_new_array());
    plist_dict_set_item(root.get(), "list", list);

    QString error;
    const auto v = plist::read(toBinary(root.get()), &error);
    ASSERT_TRUE(v) << qPrintable(error);
    const QVariantMap expected{{"string", QString::fromUtf8("héllo")},
                               {"empty", QString()},
                               {"negative", i64(-1)},
                               {"uint32max", i64(4294967295LL)},
                               {"uint64max", u64(std::numeric_limits<quint64>::max())},
                               {"real", -2.25},
                               {"yes", true},
                               {"date", utc(2001, 1, 1, 0, 0, 10, 250)},
                               {"data", QByteArray("\0\1\2", 3)},
                               {"list", QVariantList{QVariantMap(), QVariantList()}}};
    EXPECT_EQ(difference(expected, *v), QString());
}

TEST(PropertyList, ReadsLibplistXmlAndLibplistReadsOurs)
{
    const QVariantMap value{{"n", i64(-5)}, {"s", "x & y"}, {"d", utc(2005, 5, 5, 5, 5, 5)}, {"b", false},
                            {"a", QVariantList{1.5, QByteArray("zz")}}};
    const QByteArray ours = plist::writeXml(value);
    Plist theirs(fromXml(ours.constData()));
    ASSERT_TRUE(theirs) << "libplist cannot read our XML";
    char* xml = nullptr;
    uint32_t len = 0;
    plist_to_xml(theirs.get(), &xml, &len);
    const auto back = plist::read(QByteArray(xml, len));
    plist_to_xml_free(xml);
    ASSERT_TRUE(back);
    EXPECT_EQ(difference(value, *back), QString());
}

TEST(PropertyList, RefusesDeepBinaryNesting)
{
    plist_t root = plist_new_array();
    plist_t inner = root;
    for (int i = 0; i < 2000; ++i) {
        plist_t next = plist_new_array();
        plist_array_append_item(inner, next);
        inner = next;
    }
    Plist guard(root);
    QString error;
    EXPECT_FALSE(plist::read(toBinary(root), &error));
    EXPECT_TRUE(error.contains("nesting")) << qPrintable(error);
}

// ---- malformed input -------------------------------------------------------

QByteArray binarySample()
{
    Plist root(plist_new_dict());
    plist_dict_set_item(root.get(), "key", plist_new_string("value"));
    plist_dict_set_item(root.get(), "n", plist_new_uint(3));
    return toBinary(root.get());
}

// The trailer's offset-table offset (its last 8 bytes), pointed elsewhere.
QByteArray withOffsetTableAt(quint64 offset)
{
    QByteArray b = binarySample();
    for (int i = 0; i < 8; ++i)
        b[b.size() - 1 - i] = char((offset >> (8 * i)) & 0xff);
    return b;
}

// A binary property list from hand-made objects (one-byte references,
// two-byte offsets), for structures libplist would not write.
QByteArray handMade(const QList<QByteArray>& objects)
{
    QByteArray out("bplist00");
    QList<int> offsets;
    for (const QByteArray& o : objects) {
        offsets << int(out.size());
        out += o;
    }
    const int table = int(out.size());
    for (int off : offsets)
        out.append(char(off >> 8)).append(char(off & 0xff));
    QByteArray trailer(32, '\0');
    trailer[6] = 2; // offset size
    trailer[7] = 1; // reference size
    trailer[15] = char(objects.size());
    trailer[30] = char(table >> 8);
    trailer[31] = char(table & 0xff);
    return out + trailer;
}

TEST(PropertyList, ReadsHandMadeBinary)
{
    QString error;
    const auto v = plist::read(handMade({"\xD1\x01\x02", "\x51k", "\x09"}), &error);
    ASSERT_TRUE(v) << qPrintable(error);
    EXPECT_EQ(difference(QVariantMap{{"k", true}}, *v), QString());
}

TEST(PropertyList, MalformedInputGivesAnError)
{
    // 40 arrays, each holding the next one twice: 2^40 values once expanded.
    QList<QByteArray> shared;
    for (int i = 0; i < 39; ++i)
        shared << QByteArray("\xA2") + char(i + 1) + char(i + 1);
    shared << QByteArray("\x09");

    const QByteArray deep = QByteArray("<plist>") + QByteArray("<array>").repeated(100000) + "</plist>";
    const QByteArray bin = binarySample();
    struct Case {
        const char* name;
        QByteArray data;
        const char* reason = ""; // a part of the error text
    } cases[] = {
        {"empty", ""},
        {"garbage", "this is not a property list"},
        {"binary garbage", QByteArray("\x00\xff\x13\x37", 4)},
        {"truncated xml", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>b"},
        {"unclosed plist", "<plist><string>b</string>"},
        {"key without value", "<plist><dict><key>a</key></dict></plist>", "has no value"},
        {"value without key", "<plist><dict><string>a</string></dict></plist>"},
        {"bad integer", "<plist><integer>12x</integer></plist>", "bad integer"},
        {"empty integer", "<plist><integer></integer></plist>"},
        {"integer overflow", "<plist><integer>99999999999999999999</integer></plist>"},
        {"bad real", "<plist><real>one</real></plist>"},
        {"bad date", "<plist><date>yesterday</date></plist>", "bad date"},
        {"bad data", "<plist><data>!!!!</data></plist>"},
        {"unknown element", "<plist><thing/></plist>", "unknown element"},
        {"stray text", "<plist><array>text<true/></array></plist>"},
        {"element inside string", "<plist><string>a<b/></string></plist>"},
        {"two values", "<plist><true/><false/></plist>"},
        {"content after root", "<plist><true/></plist><plist/>"},
        {"empty plist", "<plist></plist>"},
        {"deep nesting", deep, "nesting"},
        {"entity bomb", "<!DOCTYPE p [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]><plist><string>&e;&e;&e;</string></plist>"},
        {"binary header only", "bplist00"},
        {"binary truncated", bin.left(bin.size() / 2)},
        {"binary offset table out of range", withOffsetTableAt(0xffffffffull), "offset table"},
        {"binary offset table inside header", withOffsetTableAt(2)},
        {"binary key not a string", handMade({"\xD1\x01\x02", QByteArray("\x10\x05"), "\x09"}), "key is not a string"},
        {"binary key with NUL", handMade({"\xD1\x01\x02", QByteArray("\x52k\0", 3), "\x09"}), "NUL"},
        {"binary UTF-16 key with NUL", handMade({"\xD1\x01\x02", QByteArray("\x61\0\0", 3), "\x09"}), "NUL"},
        {"binary cycle", handMade({QByteArray("\xA1\x00", 2)}), "contains itself"},
        {"binary reference out of range", handMade({"\xA1\x07"}), "out of range"},
        {"binary string past the end", handMade({"\x55" "ab"}), "past"},
        {"binary bad length", handMade({"\x5Fshort"}), "bad length"},
        {"binary unknown object", handMade({"\x70"}), "unsupported object"},
        {"binary shared-object bomb", handMade(shared), "expanded"},
        {"invalid UTF-8", "<plist><string>\xC3(</string></plist>", "UTF-8"},
        {"control character", "<plist><string>a\x01</string></plist>", "cannot carry"},
        {"reference to NUL", "<plist><string>&#0;</string></plist>", "character reference"},
        {"reference to a surrogate", "<plist><string>&#xD800;</string></plist>", "character reference"},
        {"reference beyond Unicode", "<plist><string>&#x110000;</string></plist>", "character reference"},
        {"reference with junk", "<plist><string>&#12a;</string></plist>", "character reference"},
        {"undefined entity", "<plist><string>&nbsp;</string></plist>", "undefined entity"},
        {"entity without end", "<plist><string>a &amp b</string></plist>"},
        {"mismatched tags", "<plist><string>a</strin></plist>", "mismatch"},
        {"end tag without start", "<plist><true/></array></plist>", "mismatch"},
        {"unquoted attribute", "<plist version=1.0><true/></plist>", "unquoted"},
        {"attribute without value", "<plist version><true/></plist>", "attribute"},
        {"< in an attribute", "<plist version=\"<\"><true/></plist>", "attribute"},
        {"comment without end", "<plist><!-- x</plist>", "premature end"},
        {"CDATA without end", "<plist><string><![CDATA[x</string></plist>", "premature end"},
        {"document type inside", "<plist><!DOCTYPE x><true/></plist>"},
        {"text before the root", "x<plist><true/></plist>", "unexpected text"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"no-such-thing\"?><plist><true/></plist>", "encoding"},
    };
    for (const auto& c : cases) {
        QString error;
        const auto v = plist::read(c.data, &error);
        EXPECT_FALSE(v) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.name << ": " << qPrintable(error);
    }
}

// What other writers put in property lists: references, CDATA, comments,
// line ends of other systems, document types, other encodings.
TEST(PropertyList, ReadsXmlAsOtherWritersWriteIt)
{
    QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray utf16 = toUtf16(QString("<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist><string>é€</string></plist>"));
    const struct {
        const char* name;
        QByteArray data;
        QVariant expected;
    } cases[] = {
        {"entities and references", "<plist><string>a &lt;&gt;&amp;&quot;&apos; &#65;&#x42;&#x1F600;</string></plist>",
         QString::fromUtf8("a <>&\"' AB\xF0\x9F\x98\x80")},
        {"CDATA", "<plist><string>x<![CDATA[<&>]]>y</string></plist>", QString("x<&>y")},
        {"comment inside text", "<plist><string>a<!-- c -->b<?pi x?>c</string></plist>", QString("abc")},
        {"line ends folded", "<plist><string>a\r\nb\rc&#13;</string></plist>", QString("a\nb\nc\r")},
        {"key with an entity", "<plist><dict><key>a&amp;b</key><true/></dict></plist>", QVariantMap{{"a&b", true}}},
        {"empty elements", "<plist><dict><key/><string/><key>a</key><array/><key>d</key><dict/></dict></plist>",
         QVariantMap{{"", QString()}, {"a", QVariantList()}, {"d", QVariantMap()}}},
        {"document type with a subset", "<!DOCTYPE plist [<!ENTITY x \"a>b\"> <!-- ] > -->]>\n<plist version='1.0'><true/></plist>",
         true},
        {"spaces in tags", "<plist  version = \"1.0\" ><string >x</string ></plist >", QString("x")},
        {"UTF-8 mark", "\xEF\xBB\xBF<plist><string>\xC3\xA9</string></plist>", QString::fromUtf8("\xC3\xA9")},
        {"UTF-16 with its mark", utf16, QString::fromUtf8("\xC3\xA9\xE2\x82\xAC")},
        {"declared Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><string>\xE9</string></plist>",
         QString::fromUtf8("\xC3\xA9")},
        {"comments and instructions around the root", "<?xml version=\"1.0\"?><!-- a --><plist><true/></plist><!-- b --><?c?>\n",
         true},
    };
    for (const auto& c : cases) {
        QString error;
        const auto v = plist::read(c.data, &error);
        ASSERT_TRUE(v) << c.name << ": " << qPrintable(error);
        EXPECT_EQ(difference(c.expected, *v), QString()) << c.name;
    }
}

TEST(PropertyList, LenientWhereReadersAgree)
{
    struct Case {
        const char* name;
        QByteArray data;
        QVariant expected;
    } cases[] = {
        {"bare value without plist element", "<string>x</string>", QString("x")},
        {"spaces around numbers", "<plist><integer> 42 </integer></plist>", i64(42)},
        {"hex integer", "<plist><integer>0x10</integer></plist>", i64(16)},
        {"comments", "<plist><!-- c --><array><!-- d --><true/></array></plist>", QVariantList{true}},
        {"wrapped base64", "<plist><data>\n\tAAEC\n\tAw==\n</data></plist>", QByteArray("\0\1\2\3", 4)},
        {"nan", "<plist><real>nan</real></plist>", QVariant()},
    };
    for (const auto& c : cases) {
        QString error;
        const auto v = plist::read(c.data, &error);
        ASSERT_TRUE(v) << c.name << ": " << qPrintable(error);
        if (c.expected.isValid())
            EXPECT_EQ(difference(c.expected, *v), QString()) << c.name;
        else
            EXPECT_TRUE(std::isnan(v->toDouble())) << c.name;
    }
}

// A hand-edited data file writes IDs and counts with leading zeros: they
// are decimal. Hexadecimal needs its 0x; anything else is refused.
TEST(PropertyList, IntegersAreDecimalAndHexadecimalOnlyAfter0x)
{
    const struct {
        const char* text;
        QVariant expected; // invalid: refused
    } cases[] = {
        {"010", i64(10)},
        {"08", i64(8)},
        {"0009", i64(9)},
        {"+7", i64(7)},
        {"-010", i64(-10)},
        {"-0", i64(0)},
        {"0x1F", i64(31)},
        {"0X1f", i64(31)},
        {"-0x10", i64(-16)},
        {"+0x10", i64(16)},
        {"9223372036854775807", i64(std::numeric_limits<qint64>::max())},
        {"9223372036854775808", u64(9223372036854775808ull)},
        {"18446744073709551615", u64(std::numeric_limits<quint64>::max())},
        {"0xFFFFFFFFFFFFFFFF", u64(std::numeric_limits<quint64>::max())},
        {"-9223372036854775808", i64(std::numeric_limits<qint64>::min())},
        {"-9223372036854775809", {}},
        {"18446744073709551616", {}},
        {"0x", {}},
        {"0x-1", {}},
        {"0b101", {}},
        {"0o17", {}},
        {"017x", {}},
        {"1e3", {}},
        {"--1", {}},
        {"+-1", {}},
        {"- 1", {}},
        {"-", {}},
        {"1 2", {}},
        {"٣", {}}, // a digit of another script
    };
    for (const auto& c : cases) {
        QString error;
        const auto v = plist::read(QByteArray("<plist><integer>") + c.text + "</integer></plist>", &error);
        if (!c.expected.isValid()) {
            EXPECT_FALSE(v) << c.text << " read as " << qPrintable(v->toString());
            EXPECT_TRUE(error.contains("bad integer")) << c.text << ": " << qPrintable(error);
            continue;
        }
        ASSERT_TRUE(v) << c.text << ": " << qPrintable(error);
        EXPECT_EQ(difference(c.expected, *v), QString()) << c.text;
    }
    // One such value no longer costs the file its other records.
    const auto file = plist::read("<plist><dict><key>nextID</key><integer>08</integer><key>actionsarray</key>"
                                  "<array><dict><key>actionID</key><integer>07</integer></dict></array></dict></plist>");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->toMap().value("nextID").toLongLong(), 8);
    EXPECT_EQ(file->toMap().value("actionsarray").toList().value(0).toMap().value("actionID").toLongLong(), 7);
}

TEST(PropertyList, FilesRoundTripAndReportTheirPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data.plist");
    const QVariantMap value{{"nextID", i64(4294967295LL)}, {"actionsarray", QVariantList()}};
    QString error;
    ASSERT_TRUE(plist::writeFile(path, value, &error)) << qPrintable(error);
    const auto back = plist::readFile(path, &error);
    ASSERT_TRUE(back) << qPrintable(error);
    EXPECT_EQ(difference(value, *back), QString());

    EXPECT_FALSE(plist::readFile(dir.filePath("missing.plist"), &error));
    EXPECT_TRUE(error.contains("missing.plist")) << qPrintable(error);
    EXPECT_FALSE(plist::writeFile(path, QVariant(), &error));
    EXPECT_TRUE(plist::readFile(path)) << "a refused write must leave the old file";
}

} // namespace
