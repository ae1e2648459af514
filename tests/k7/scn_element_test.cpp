#include <gtest/gtest.h>

#include "Common/UUtils.h"
#include "k7/UScnElement.h"
#include "tests/k7/K7TestSupport.h"

namespace skylog {
namespace {

const ElementType kDateType{0, kClassDate, "DATE", "Date"};
const ElementType kTimeType{1, kClassTime, "HEURE", "Heure"};
const ElementType kMesType{2, kClassMes, "TEMP", "Température"};
const ElementType kSignalType{6, kClassMesFilter, "SIGNAL", "Signal"};
const ElementType kPlainType{9, 0, "RES", "Réservé"};

ElementDescriptor Descriptor(const ElementType& type, int32_t valueCode, int32_t offset, int32_t format = 0,
                             int32_t decimals = 0) {
    ElementDescriptor d;
    d.ElementType = &type;
    d.ValueCode = valueCode;
    d.Offset = offset;
    d.Format = format;
    d.Decimals = decimals;
    return d;
}

// Hex of a 30-byte event whose word at offset 10 is the given value.
std::string HexWithWord(uint16_t word, size_t offset = 10) {
    std::string bytes = test::EventBytes(0xDF, 30);
    test::PutWord(bytes, offset, word);
    return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class ScnElementTest : public ::testing::Test {
protected:
    void SetUp() override { dictionary_.Options = TextFormatOptions{}; }
    std::string Ascii(const ElementDescriptor& d, const std::string& hex) {
        test::ScopedHost host(nullptr, &dictionary_, ',');
        return CreateScnElement(d, hex, nullptr)->ASCIIString();
    }
    EventDictionary dictionary_;
};

TEST_F(ScnElementTest, FactoryFollowsTheClassKind) {
    const std::string hex = HexWithWord(0);
    EXPECT_NE(dynamic_cast<TScnElement_Dat*>(CreateScnElement(Descriptor(kDateType, VAL_DATE, 4), hex, nullptr).get()), nullptr);
    EXPECT_NE(dynamic_cast<TScnElement_Time*>(CreateScnElement(Descriptor(kTimeType, VAL_TIME, 7), hex, nullptr).get()), nullptr);
    EXPECT_NE(dynamic_cast<TScnElement_Mes*>(CreateScnElement(Descriptor(kMesType, VAL_CN, 10), hex, nullptr).get()), nullptr);
    EXPECT_NE(dynamic_cast<TScnElement_MesFilter*>(CreateScnElement(Descriptor(kSignalType, VAL_SCN, 10), hex, nullptr).get()), nullptr);
    auto plain = CreateScnElement(Descriptor(kPlainType, VAL_CN, 10), hex, nullptr);
    EXPECT_EQ(plain->ASCIIString(), "???");
    ElementDescriptor untyped;
    EXPECT_EQ(CreateScnElement(untyped, hex, nullptr)->ASCIIString(), "???");
}

TEST_F(ScnElementTest, TemperatureStatusesAndRawValues) {
    const ElementDescriptor temp = Descriptor(kMesType, VAL_TEMP, 10, 0, 0);
    EXPECT_EQ(Ascii(temp, HexWithWord(0x0190)), "0");
    EXPECT_EQ(Ascii(temp, HexWithWord(0xFFFD)), ">>>>");
    EXPECT_EQ(Ascii(temp, HexWithWord(0xFFFF)), "----");
    EXPECT_EQ(Ascii(temp, HexWithWord(0xFFFB)), "Abs.");
    EXPECT_EQ(Ascii(temp, HexWithWord(0xFFFC)), "<<<<");
    dictionary_.Options.RawValues = true;
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP, 10, 0, 1), HexWithWord(0xFFFD)), "6513,3");
}

TEST_F(ScnElementTest, ScaledMeasurements) {
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP, 10, 0, 1), HexWithWord(401)), "0,1");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP, 10, 0, 1), HexWithWord(0)), "-40,0");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP2, 10, 0, 2), HexWithWord(3280)), "1,00");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP2, 10, 0, 0), HexWithWord(0xFFFC)), "<<<<");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BAT, 10, 0, 2), HexWithWord(0x7D00)), "5,00");  // 125 x 0.04
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BAT2, 10, 0, 2), HexWithWord(1234)), "12,34");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BYTECN, 11, 0, 0), HexWithWord(0x00C8)), "200");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 10, 0, 0), HexWithWord(0xFFFB)), "Abs.");
    // Codes no class decodes keep the value 0.
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BYTEHEX, 10, 0, 0), HexWithWord(0x1234)), "0");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_SCN, 10, 0, 0), HexWithWord(0x1234)), "0");
}

TEST_F(ScnElementTest, ThreeByteCount) {
    std::string bytes = test::EventBytes(0xDC, 86);
    bytes[10] = 1;
    bytes[11] = 2;
    bytes[12] = 3;
    const std::string hex = BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    auto element = CreateScnElement(Descriptor(kMesType, VAL_CN3BYTES, 10), hex, nullptr);
    EXPECT_EQ(dynamic_cast<TScnElement_Mes&>(*element).Value, 66051.0f);
}

TEST_F(ScnElementTest, SignAndMagnitudeWithInvalidFilterStatus) {
    const ElementDescriptor scn = Descriptor(kSignalType, VAL_SCN, 10);
    auto element = CreateScnElement(scn, HexWithWord(0x8005), nullptr);
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*element).Value, -5.0f);
    EXPECT_EQ(Ascii(scn, HexWithWord(0x8005)), "-5");
    EXPECT_EQ(Ascii(scn, HexWithWord(0x0105)), "261");
    EXPECT_EQ(Ascii(scn, HexWithWord(0xFFF9)), "!!!!");
    EXPECT_EQ(Ascii(Descriptor(kSignalType, VAL_CN, 10), HexWithWord(0xFFF9)), "!!!!");
    // A count of 0xFFFB is only "absent" for plain measurements.
    EXPECT_EQ(Ascii(Descriptor(kSignalType, VAL_CN, 10), HexWithWord(0xFFFB)), "65531");
    dictionary_.Options.RawValues = true;
    EXPECT_EQ(Ascii(scn, HexWithWord(0xFFF9)), "-32761");
}

TEST_F(ScnElementTest, CharacterAndHexFormats) {
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BYTECN, 10, kFormatHex), HexWithWord(0x0A00)), "0x0A");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 10, kFormatHex), HexWithWord(0x000A)), "0x000A");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 10, kFormatChar), HexWithWord(65)), "A");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 10, kFormatChar), HexWithWord(0xE9)), "é");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 10, 7), HexWithWord(65)), "???");
    // A negative value shows its 32-bit pattern.
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP, 10, kFormatHex), HexWithWord(0)), "0xFFFFFFD8");
}

TEST_F(ScnElementTest, ValueLabelsReplaceValuesUnlessRaw) {
    ElementDescriptor mode = Descriptor(kMesType, VAL_CN, 10);
    mode.ValueLabels = {{"Veille", 1}, {"Mesure", 2}, {"Doublon", 2}};
    EXPECT_EQ(Ascii(mode, HexWithWord(2)), "Mesure");
    EXPECT_EQ(Ascii(mode, HexWithWord(3)), "3");
    dictionary_.Options.RawValues = true;
    EXPECT_EQ(Ascii(mode, HexWithWord(2)), "2");
}

TEST_F(ScnElementTest, DateRendering) {
    std::string bytes = test::EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x01, 0x09, 0x05, 0x07});
    const std::string hex = BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const ElementDescriptor date = Descriptor(kDateType, VAL_DATE, 4);
    const ElementDescriptor time = Descriptor(kTimeType, VAL_TIME, 7);
    dictionary_.Options.DateSeparator = "/";
    dictionary_.Options.ZeroPadded = true;
    dictionary_.Options.FourDigitYear = false;
    EXPECT_EQ(Ascii(date, hex), "01/03/05");
    dictionary_.Options.FourDigitYear = true;
    EXPECT_EQ(Ascii(date, hex), "01/03/2005");
    EXPECT_EQ(Ascii(time, hex), "09:05:07");
    dictionary_.Options.ZeroPadded = false;
    EXPECT_EQ(Ascii(date, hex), "1/3/2005");
    EXPECT_EQ(Ascii(time, hex), "9:5:7");
    dictionary_.Options.FourDigitYear = false;
    EXPECT_EQ(Ascii(date, hex), "1/3/2005");
    dictionary_.Options.Quoted = true;
    dictionary_.Options.DateSeparator = "";
    EXPECT_EQ(Ascii(date, hex), "\"132005\"");
}

TEST_F(ScnElementTest, NonDecimalDateBytesReadAsZero) {
    std::string bytes = test::EventBytes(0xDF, 30, 0, {0xFF, 0x1A, 0x01, 0xFF, 0x30, 0x00});
    const std::string hex = BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    auto date = CreateScnElement(Descriptor(kDateType, VAL_DATE, 4), hex, nullptr);
    auto& d = dynamic_cast<TScnElement_Dat&>(*date);
    EXPECT_EQ(d.Year, 2000);
    EXPECT_EQ(d.Month, 0);
    EXPECT_EQ(d.Day, 1);
    auto time = CreateScnElement(Descriptor(kTimeType, VAL_TIME, 7), hex, nullptr);
    EXPECT_EQ(dynamic_cast<TScnElement_Time&>(*time).Hour, 0);
    EXPECT_EQ(dynamic_cast<TScnElement_Time&>(*time).Minute, 30);
}

TEST_F(ScnElementTest, OffsetsBeyondTheEventReadAsZero) {
    const std::string hex = HexWithWord(0x1234);
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 200), hex), "0");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, -3), hex), "0");
    EXPECT_EQ(Ascii(Descriptor(kDateType, VAL_DATE, 29), hex), "00/00/2000");
}

TEST_F(ScnElementTest, WithoutDictionaryTheDefaultsApply) {
    std::string bytes = test::EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x01, 0x09, 0x05, 0x07});
    const std::string hex = BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    test::ScopedHost host(nullptr, nullptr, '.');
    EXPECT_EQ(CreateScnElement(Descriptor(kDateType, VAL_DATE, 4), hex, nullptr)->ASCIIString(), "01/03/2005");
    EXPECT_EQ(CreateScnElement(Descriptor(kMesType, VAL_BAT2, 10, 0, 2), HexWithWord(1234), nullptr)->ASCIIString(),
              "12.34");
}

TEST_F(ScnElementTest, DescriptionsWithFilterAndAngle) {
    test::ScopedHost host(nullptr, &dictionary_, ',');
    ElementDescriptor signal = Descriptor(kSignalType, VAL_SCN, 10);
    signal.FilterNumber = 2;
    signal.FilterGroup = "A";
    signal.HasAngle = true;
    signal.Angle = 6.0f;
    auto element = CreateScnElement(signal, HexWithWord(1), nullptr);
    EXPECT_EQ(element->Description(), "Signal Filtre A n°2 Angle 6,0");

    InstrumentType type{"Photomètre", {"SP1A0000"}, {{2, 870.0, "A", "ciel", false, 0}}};
    element->BindInstrument(&type);
    EXPECT_EQ(dynamic_cast<TScnElement_MesFilter&>(*element).Filter, &type.Filters[0]);
    EXPECT_EQ(element->Description(), "6,0° A 870 nm ciel");

    // Another type without that filter unbinds it.
    InstrumentType other{"Autre", {"SP200000"}, {}};
    element->BindInstrument(&other);
    EXPECT_EQ(element->Description(), "Signal Filtre A n°2 Angle 6,0");

    ElementDescriptor plain = Descriptor(kMesType, VAL_CN, 10);
    plain.FilterNumber = 3;
    EXPECT_EQ(CreateScnElement(plain, HexWithWord(1), nullptr)->Description(), "Température Filtre n°3");
}

}  // namespace
}  // namespace skylog
