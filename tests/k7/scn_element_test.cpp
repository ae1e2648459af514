#include <gtest/gtest.h>

#include "k7/UK7File.h"
#include "k7/UScnElement.h"
#include "tests/k7/K7TestSupport.h"

namespace skylog {
namespace {

const ElementType kDateType{0, kClassDate, "DATE", "Date"};
const ElementType kTimeType{1, kClassTime, "HEURE", "Heure"};
const ElementType kMesType{2, kClassMes, "TEMP", "Température"};
const ElementType kSignalType{6, kClassMesFilter, "SIGNAL", "Signal"};
const ElementType kReservedType{9, 0, "RES", "Réservé"};

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
std::string HexWithWord(uint16_t word) {
    std::string bytes = test::EventBytes(0xDF, 30);
    test::PutWord(bytes, 10, word);
    return test::Hex(bytes);
}

// Hex of a 30-byte event stamped 01/03/2005 09:05:07.
const std::string kMarch1st = test::Hex(test::EventBytes(0xDF, 30, 0, {0x05, 0x03, 0x01, 0x09, 0x05, 0x07}));

// Elements render with the host data of their event's file.
class ScnElementTest : public ::testing::Test {
protected:
    std::string Ascii(const ElementDescriptor& d, const std::string& hex) {
        return CreateScnElement(d, hex, &event_)->ASCIIString();
    }
    EventDictionary dictionary_;
    THostData host_{nullptr, &dictionary_, ','};
    TK7File file_{&host_};
    TEvenement event_{&file_};
};

TEST_F(ScnElementTest, MeasurementsScaledWithTheirStatusAndFormat) {
    const struct {
        const ElementType* type;
        int32_t valueCode, format, decimals;
        uint16_t word;
        const char* text;
    } cases[] = {
        {&kMesType, VAL_TEMP, 0, 0, 0x0190, "0"},       {&kMesType, VAL_TEMP, 0, 1, 401, "0,1"},
        {&kMesType, VAL_TEMP, 0, 1, 0, "-40,0"},        {&kMesType, VAL_TEMP, 0, 0, 0xFFFD, ">>>>"},
        {&kMesType, VAL_TEMP, 0, 0, 0xFFFF, "----"},    {&kMesType, VAL_TEMP, 0, 0, 0xFFFB, "Abs."},
        {&kMesType, VAL_TEMP, 0, 0, 0xFFFC, "<<<<"},    {&kMesType, VAL_TEMP2, 0, 2, 3280, "1,00"},
        {&kMesType, VAL_TEMP2, 0, 0, 0xFFFC, "<<<<"},   {&kMesType, VAL_BAT, 0, 2, 0x7D00, "5,00"},
        {&kMesType, VAL_BAT2, 0, 2, 1234, "12,34"},     {&kMesType, VAL_CN, 0, 0, 0xFFFB, "Abs."},
        {&kMesType, VAL_BYTECN, 0, 0, 0x00C8, "0"},     // one byte, at offset 10
        {&kMesType, VAL_BYTEHEX, 0, 0, 0x1234, "0"},    // codes no class decodes keep 0
        {&kMesType, VAL_SCN, 0, 0, 0x1234, "0"},
        // Sign and magnitude; the invalid filter status; 0xFFFB is only "absent" for plain measurements.
        {&kSignalType, VAL_SCN, 0, 0, 0x8005, "-5"},    {&kSignalType, VAL_SCN, 0, 0, 0x0105, "261"},
        {&kSignalType, VAL_SCN, 0, 0, 0xFFF9, "!!!!"},  {&kSignalType, VAL_CN, 0, 0, 0xFFF9, "!!!!"},
        {&kSignalType, VAL_CN, 0, 0, 0xFFFB, "65531"},
        {&kMesType, VAL_BYTECN, kFormatHex, 0, 0x0A00, "0x0A"},
        {&kMesType, VAL_CN, kFormatHex, 0, 0x000A, "0x000A"},
        {&kMesType, VAL_TEMP, kFormatHex, 0, 0, "0xFFFFFFD8"},  // a negative value: its 32-bit pattern
        {&kMesType, VAL_CN, kFormatChar, 0, 65, "A"},
        {&kMesType, VAL_CN, kFormatChar, 0, 0xE9, "é"},  // Windows-1252
        {&kMesType, VAL_CN, 7, 0, 65, "???"},
        {&kReservedType, VAL_CN, 0, 0, 0, "???"},  // no known class
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ascii(Descriptor(*c.type, c.valueCode, 10, c.format, c.decimals), HexWithWord(c.word)), c.text)
            << c.type->Code << ", value code " << c.valueCode << ", word " << c.word;
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_BYTECN, 11), HexWithWord(0x00C8)), "200");
    std::string threeBytes = test::EventBytes(0xDC, 86);
    threeBytes.replace(10, 3, "\x01\x02\x03");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN3BYTES, 10), test::Hex(threeBytes)), "66051");
    // Raw values show the number behind a status.
    dictionary_.Options.RawValues = true;
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_TEMP, 10, 0, 1), HexWithWord(0xFFFD)), "6513,3");
    EXPECT_EQ(Ascii(Descriptor(kSignalType, VAL_SCN, 10), HexWithWord(0xFFF9)), "-32761");
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
    const ElementDescriptor date = Descriptor(kDateType, VAL_DATE, 4);
    const ElementDescriptor time = Descriptor(kTimeType, VAL_TIME, 7);
    dictionary_.Options.FourDigitYear = false;
    EXPECT_EQ(Ascii(date, kMarch1st), "01/03/05");
    dictionary_.Options.FourDigitYear = true;
    EXPECT_EQ(Ascii(date, kMarch1st), "01/03/2005");
    EXPECT_EQ(Ascii(time, kMarch1st), "09:05:07");
    dictionary_.Options.ZeroPadded = false;
    EXPECT_EQ(Ascii(date, kMarch1st), "1/3/2005");
    EXPECT_EQ(Ascii(time, kMarch1st), "9:5:7");
    dictionary_.Options.FourDigitYear = false;  // only with zero padding
    EXPECT_EQ(Ascii(date, kMarch1st), "1/3/2005");
    dictionary_.Options.Quoted = true;
    dictionary_.Options.DateSeparator = "";
    EXPECT_EQ(Ascii(date, kMarch1st), "\"132005\"");
    dictionary_.Options.ZeroPadded = true;
    EXPECT_EQ(Ascii(time, kMarch1st), "\"09:05:07\"");
}

// Bytes that are no BCD or lie outside the event read as 0: the file must go on.
TEST_F(ScnElementTest, UnreadableBytesReadAsZero) {
    const std::string hex = test::Hex(test::EventBytes(0xDF, 30, 0, {0xFF, 0x1A, 0x01, 0xFF, 0x30, 0x00}));
    EXPECT_EQ(Ascii(Descriptor(kDateType, VAL_DATE, 4), hex), "01/00/2000");
    EXPECT_EQ(Ascii(Descriptor(kTimeType, VAL_TIME, 7), hex), "00:30:00");

    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, 200), HexWithWord(0x1234)), "0");
    EXPECT_EQ(Ascii(Descriptor(kMesType, VAL_CN, -3), HexWithWord(0x1234)), "0");
    EXPECT_EQ(Ascii(Descriptor(kDateType, VAL_DATE, 29), HexWithWord(0x1234)), "00/00/2000");
}

TEST_F(ScnElementTest, WithoutDictionaryTheDefaultsApply) {
    const THostData host{nullptr, nullptr, '.'};
    TK7File file(&host);
    TEvenement event(&file);
    EXPECT_EQ(CreateScnElement(Descriptor(kDateType, VAL_DATE, 4), kMarch1st, &event)->ASCIIString(), "01/03/2005");
    EXPECT_EQ(CreateScnElement(Descriptor(kMesType, VAL_BAT2, 10, 0, 2), HexWithWord(1234), &event)->ASCIIString(),
              "12.34");
    // Without any host data: the defaults and a comma.
    EXPECT_EQ(CreateScnElement(Descriptor(kMesType, VAL_BAT2, 10, 0, 2), HexWithWord(1234), nullptr)->ASCIIString(),
              "12,34");
}

TEST_F(ScnElementTest, DescriptionsWithFilterAndAngle) {
    ElementDescriptor signal = Descriptor(kSignalType, VAL_SCN, 10);
    signal.FilterNumber = 2;
    signal.FilterGroup = "A";
    signal.HasAngle = true;
    signal.Angle = 6.0f;
    auto element = CreateScnElement(signal, HexWithWord(1), &event_);
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
