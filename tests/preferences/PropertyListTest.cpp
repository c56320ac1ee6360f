// The property-list reader and writer on their own: what round-trips, what is
// refused as malformed, and which values have no property-list form.

#include "platform/preferences/PropertyList.h"

#include <QDateTime>
#include <QPoint>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform::preferences;

namespace {

QByteArray plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

QVariantMap nestedValue()
{
    QVariantMap inner{{QStringLiteral("list"), QVariantList{QVariant(qlonglong(1)), QVariant(QStringLiteral("two")),
                                                            QVariantList{}, QVariantMap{}}},
                      {QStringLiteral("flag"), QVariant(false)}};
    return QVariantMap{{QStringLiteral("inner"), inner}, {QString(), QVariant(QStringLiteral("empty key"))}};
}

struct RoundTrip {
    const char* name;
    QVariant value;
};

class PropertyListRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PropertyListRoundTrip, WrittenValueReadsBackWithItsTypeAndValue)
{
    const auto normal = normalizedValue(GetParam().value);
    ASSERT_TRUE(normal);
    const QByteArray xml = serializePropertyList({{QStringLiteral("k"), *normal}});
    const PropertyListResult parsed = parsePropertyList(xml);
    ASSERT_TRUE(parsed.dictionary) << parsed.error.toStdString() << "\n" << xml.toStdString();
    const QVariant back = parsed.dictionary->value(QStringLiteral("k"));
    EXPECT_TRUE(sameValue(back, *normal)) << xml.toStdString();
}

const QDateTime kBerlinEvening(QDate(2026, 12, 6), QTime(21, 30, 5, 250),
                               QTimeZone(QByteArrayLiteral("Europe/Berlin")));

INSTANTIATE_TEST_SUITE_P(
    Types, PropertyListRoundTrip,
    ::testing::Values(
        RoundTrip{"true", QVariant(true)}, RoundTrip{"false", QVariant(false)},
        RoundTrip{"zero", QVariant(qlonglong(0))},
        RoundTrip{"int64Min", QVariant(std::numeric_limits<qlonglong>::min())},
        RoundTrip{"int64Max", QVariant(std::numeric_limits<qlonglong>::max())},
        RoundTrip{"plainInt", QVariant(int(-42))},
        RoundTrip{"tenth", QVariant(0.1)}, RoundTrip{"negativeZero", QVariant(-0.0)},
        RoundTrip{"tiny", QVariant(std::numeric_limits<double>::denorm_min())},
        RoundTrip{"huge", QVariant(std::numeric_limits<double>::max())},
        RoundTrip{"nan", QVariant(std::numeric_limits<double>::quiet_NaN())},
        RoundTrip{"infinity", QVariant(-std::numeric_limits<double>::infinity())},
        RoundTrip{"emptyString", QVariant(QString())},
        RoundTrip{"markup", QVariant(QStringLiteral("<a href=\"x\">&amp;</a> ]]>"))},
        RoundTrip{"lineEnds", QVariant(QStringLiteral("one\r\ntwo\rthree\n\tfour  "))},
        RoundTrip{"unicode", QVariant(QStringLiteral("Grüße, 東京, \U0001F600"))},
        RoundTrip{"utcDate", QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC))},
        RoundTrip{"zonedDateWithMs", QVariant(kBerlinEvening)},
        RoundTrip{"emptyData", QVariant(QByteArray())},
        RoundTrip{"binaryData", QVariant(QByteArray("\0\xff\x01<&>", 6))},
        RoundTrip{"stringList", QVariant(QStringList{QStringLiteral("a"), QString()})},
        RoundTrip{"nested", QVariant(nestedValue())}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PropertyList, DatesAreStoredInUtcAndMeanTheSameMoment)
{
    const auto normal = normalizedValue(QVariant(kBerlinEvening));
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->toDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(normal->toDateTime(), kBerlinEvening);
    EXPECT_TRUE(serializePropertyList({{QStringLiteral("d"), *normal}})
                    .contains("<date>2026-12-06T20:30:05.250Z</date>"));
}

TEST(PropertyList, ABooleanIsNotTheSameValueAsAnInteger)
{
    EXPECT_FALSE(sameValue(QVariant(true), QVariant(qlonglong(1))));
    EXPECT_FALSE(sameValue(QVariant(qlonglong(0)), QVariant(0.0)));
    EXPECT_FALSE(sameDictionary({{QStringLiteral("k"), QVariant(true)}},
                                {{QStringLiteral("k"), QVariant(qlonglong(1))}}));
}

struct Malformed {
    const char* name;
    QByteArray xml;
};

class PropertyListMalformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(PropertyListMalformed, IsRefusedWithAPlace)
{
    const PropertyListResult parsed = parsePropertyList(GetParam().xml);
    EXPECT_FALSE(parsed.dictionary);
    EXPECT_FALSE(parsed.error.isEmpty());
}

QByteArray deepArrays(int depth)
{
    return plist("<dict><key>k</key>" + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth)
                 + "</dict>");
}

INSTANTIATE_TEST_SUITE_P(
    Files, PropertyListMalformed,
    ::testing::Values(
        Malformed{"empty", ""}, Malformed{"binaryJunk", QByteArray("bplist00\x01\x02\xff", 11)},
        Malformed{"truncated", plist("<dict><key>a</key><true/>").left(60)},
        Malformed{"noPlistRoot", "<dict></dict>"}, Malformed{"emptyPlist", plist("")},
        Malformed{"topLevelArray", plist("<array/>")},
        Malformed{"twoTopValues", plist("<dict/><dict/>")},
        Malformed{"textAfterRoot", plist("<dict/>") + "junk"},
        Malformed{"integerWithLetters", plist("<dict><key>a</key><integer>12abc</integer></dict>")},
        Malformed{"integerTooBig", plist("<dict><key>a</key><integer>9223372036854775808</integer></dict>")},
        Malformed{"emptyInteger", plist("<dict><key>a</key><integer></integer></dict>")},
        Malformed{"twoPointReal", plist("<dict><key>a</key><real>1.2.3</real></dict>")},
        Malformed{"wordReal", plist("<dict><key>a</key><real>one</real></dict>")},
        Malformed{"dateWithoutZone", plist("<dict><key>a</key><date>2026-12-06T07:10:23</date></dict>")},
        Malformed{"impossibleDate", plist("<dict><key>a</key><date>2026-02-30T07:10:23Z</date></dict>")},
        Malformed{"badBase64", plist("<dict><key>a</key><data>!!!!</data></dict>")},
        Malformed{"textInTrue", plist("<dict><key>a</key><true>no</true></dict>")},
        Malformed{"unknownElement", plist("<dict><key>a</key><bool>1</bool></dict>")},
        Malformed{"keyWithoutValue", plist("<dict><key>a</key></dict>")},
        Malformed{"twoKeysInARow", plist("<dict><key>a</key><key>b</key><true/></dict>")},
        Malformed{"valueWithoutKey", plist("<dict><true/></dict>")},
        Malformed{"duplicateKey", plist("<dict><key>a</key><true/><key>a</key><false/></dict>")},
        Malformed{"textInDict", plist("<dict>stray<key>a</key><true/></dict>")},
        Malformed{"elementInString", plist("<dict><key>a</key><string>x<b/></string></dict>")},
        Malformed{"keyOutsideDict", plist("<dict><key>a</key><array><key>b</key></array></dict>")},
        Malformed{"undeclaredEntity", plist("<dict><key>a</key><string>&nbsp;</string></dict>")},
        Malformed{"mismatchedTags", plist("<dict><key>a</key><string>x</key></dict>")},
        Malformed{"tooDeep", deepArrays(300)},
        Malformed{"entityBomb",
                  "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                  "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                  "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                  "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                  "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
                  "<plist><dict><key>k</key><string>&e;&e;&e;&e;&e;&e;&e;&e;</string></dict></plist>"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PropertyList, AcceptsWhatOtherWritersProduce)
{
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Example//DTD PLIST 1.0//EN\" \"http://example.com/PropertyList-1.0.dtd\">\n"
        "<!-- written by hand -->\n<plist version=\"1.0\">\n<dict>\n"
        "  <key>n</key> <integer> -7 </integer>\n"
        "  <key>d</key> <data>\n  AAEC\n  Aw==\n  </data>\n"
        "  <key>t</key> <date>2026-12-06T07:10:23Z</date>\n"
        "  <key>e</key> <dict/>\n"
        "  <key>s</key> <string>a &amp; b &#x1F600;</string>\n"
        "</dict>\n</plist>\n";
    const PropertyListResult parsed = parsePropertyList(xml);
    ASSERT_TRUE(parsed.dictionary) << parsed.error.toStdString();
    const QVariantMap& map = *parsed.dictionary;
    EXPECT_TRUE(sameValue(map.value(QStringLiteral("n")), QVariant(qlonglong(-7))));
    EXPECT_EQ(map.value(QStringLiteral("d")).toByteArray(), QByteArray("\x00\x01\x02\x03", 4));
    EXPECT_EQ(map.value(QStringLiteral("t")).toDateTime(),
              QDateTime(QDate(2026, 12, 6), QTime(7, 10, 23), Qt::UTC));
    EXPECT_EQ(map.value(QStringLiteral("e")).userType(), QMetaType::QVariantMap);
    EXPECT_EQ(map.value(QStringLiteral("s")).toString(), QStringLiteral("a & b \U0001F600"));
    EXPECT_TRUE(deepArrays(200).size() > 0 && parsePropertyList(deepArrays(200)).dictionary);
}

TEST(PropertyList, ValuesWithoutAPropertyListFormAreRefused)
{
    const QVariant refused[] = {
        QVariant(QStringLiteral("bell\x07")),
        QVariant(QString(QChar(0xD800))),
        QVariant(std::numeric_limits<qulonglong>::max()),
        QVariant(QPoint(1, 2)),
        QVariant(QDateTime()),
        QVariant(QVariantList{QVariant(qlonglong(1)), QVariant(QPoint())}),
        QVariant(QVariantMap{{QStringLiteral("bad\x01key"), QVariant(true)}}),
        QVariant(),
    };
    for (const QVariant& value : refused)
        EXPECT_FALSE(normalizedValue(value)) << value.typeName();
}

}  // namespace
