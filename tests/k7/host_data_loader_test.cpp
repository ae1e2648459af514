#include <gtest/gtest.h>


#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "k7/UInstrument.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

int ErrorLine(std::string_view instruments, std::string_view events, std::string* message = nullptr) {
    try {
        (void)ParseHostData(instruments, events);
    } catch (const HostDataError& e) {
        if (message != nullptr) *message = e.what();
        return e.Line();
    }
    return 0;
}

TEST(HostDataParse, InstrumentTypes) {
    const auto set = ParseHostData(
        "\xEF\xBB\xBF# commentaire\r\n"
        "type | Photomètre\r\n"
        "ident | SP1A0000 | SP1A0001\n"
        "  filter | 2 | 870 | A | - | ciel bleu\n"
        "filter | 2 | 870,5 | P | P3\n"
        "\n"
        "TYPE | Autre\n",
        "");
    const auto& types = set->InstrumentTypes.Types;
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].Name, "Photomètre");
    EXPECT_EQ(types[0].Idents, (std::vector<std::string>{"SP1A0000", "SP1A0001"}));
    ASSERT_EQ(types[0].Filters.size(), 2u);
    const InstrumentFilter &sky = types[0].Filters[0], &polarised = types[0].Filters[1];
    EXPECT_TRUE(sky.Comment == "ciel bleu" && !sky.Polarized);
    EXPECT_TRUE(polarised.Wavelength == 870.5 && polarised.Polarized && polarised.PolarNumber == 3);
}

TEST(HostDataParse, Dictionary) {
    const auto set = ParseHostData("",
                                   "option | ElementSeparator | \\t\n"
                                   "option | TimeSeparator | \\s\n"
                                   "option | DateSeparator | \\|\n"
                                   "option | quoted | 1\n"
                                   "elementtype | DATE | 1 | 0 | Date\n"
                                   "elementtype | SIGNAL | 3 | 6 | Signal\n"
                                   "event | 0x8D | 74 | 45 | POL | Mesure de polarisation\n"
                                   "idents | SPA00000 | SPBBFFFF\n"
                                   "condition | 3 | 1f | mandatory\n"
                                   "condition | 2 | FF | optional | 2\n"
                                   "element | DATE | 4 | 3 | 0 | 0\n"
                                   "element | SIGNAL | 12 | 11 | 0 | 0 | filter=-1 | source=FILTRE | group=P | angle=6.5\n"
                                   "label | 7 | Sept\n"
                                   "element | - | 14 | 6 | 2 | 0\n");
    const TextFormatOptions& options = set->Dictionary.Options;
    EXPECT_EQ(options.ElementSeparator + options.TimeSeparator + options.DateSeparator, "\t |");
    EXPECT_TRUE(options.Quoted);
    ASSERT_EQ(set->Dictionary.Descriptors.size(), 1u);
    const EventDescriptor& d = set->Dictionary.Descriptors[0];
    EXPECT_EQ((std::vector<int32_t>{d.Type, d.Length, d.StatusCode}), (std::vector<int32_t>{0x8D, 74, 45}));
    EXPECT_EQ(d.IdentRanges, (std::vector<std::string>{"SPA00000", "SPBBFFFF"}));
    ASSERT_EQ(d.Conditions.size(), 2u);
    EXPECT_TRUE(d.Conditions[0].Mandatory && d.Conditions[0].Value == 0x1F && d.Conditions[1].Kind == 2);
    ASSERT_EQ(d.Elements.size(), 3u);
    EXPECT_EQ(d.Elements[0].ElementType, set->ElementTypes[0].get());
    const ElementDescriptor& signal = d.Elements[1];
    EXPECT_TRUE(signal.FilterNumber == -1 && signal.FilterSource == "FILTRE" && signal.FilterGroup == "P");
    EXPECT_TRUE(signal.HasAngle && signal.Angle == 6.5f);
    ASSERT_EQ(signal.ValueLabels.size(), 1u);
    EXPECT_EQ(signal.ValueLabels[0].Text, "Sept");
    EXPECT_EQ(d.Elements[2].ElementType, nullptr);
}

TEST(HostDataParse, ErrorsCarryFileAndLine) {
    std::string message;
    EXPECT_EQ(ErrorLine("# x\ntype | A\nmodel | B\n", "", &message), 3);
    EXPECT_EQ(message.rfind("instruments.txt:3: ", 0), 0u) << message;
    EXPECT_EQ(ErrorLine("ident | SP1A0000\n", ""), 1);  // before any type
    EXPECT_EQ(ErrorLine("type | A\nfilter | deux | 870 | A\n", ""), 2);
    EXPECT_EQ(ErrorLine("type | A\nfilter | 2 | 870 | A | Q\n", ""), 2);
    EXPECT_EQ(ErrorLine("type | A\nfilter | 2\n", ""), 2);
    EXPECT_EQ(ErrorLine("type\n", ""), 1);

    EXPECT_EQ(ErrorLine("", "\n\nevent | 80 | 18 | 0 | S | Status\nelement | INCONNU | 4 | 3 | 0 | 0\n", &message), 4);
    EXPECT_EQ(message.rfind("events.txt:4: ", 0), 0u) << message;
    EXPECT_EQ(ErrorLine("", "element | DATE | 4 | 3 | 0 | 0\n"), 1);  // before any event
    EXPECT_EQ(ErrorLine("", "event | 80 | 18 | 0 | S | Status\nlabel | 1 | Un\n"), 2);
    EXPECT_EQ(ErrorLine("", "event | 180 | 18 | 0 | S | Status\n"), 1);
    EXPECT_EQ(ErrorLine("", "event | 80 | 18 | 0 | S | Status | de trop\n"), 1);
    EXPECT_EQ(ErrorLine("", "option | Couleur | 1\n"), 1);
    EXPECT_EQ(ErrorLine("", "option | Quoted | peut-être\n"), 1);
    EXPECT_EQ(ErrorLine("", "option | DateSeparator | \\x\n"), 1);
    EXPECT_EQ(ErrorLine("", "elementtype | D | 1 | 0 | Date\nelementtype | D | 2 | 0 | Heure\n"), 2);
    EXPECT_EQ(ErrorLine("", "elementtype | D | 1 | 0 | Date\nevent | 80 | 0 | 0 | S | x\ncondition | 3 | 62 | souvent\n"), 3);
    EXPECT_EQ(ErrorLine("", "elementtype | D | 1 | 0 | Date\nevent | 80 | 0 | 0 | S | x\nelement | D | 4 | 3 | 0 | 0 | couleur=bleu\n"), 3);
}

TEST(HostDataLoad, MissingFolderIsAFileError) {
    test::TempDir dir;
    EXPECT_THROW((void)LoadHostData(dir.File("absent")), FileError);
}

TEST(HostDataLoad, ViewTakesTheDictionarysAsciiSeparator) {
    for (const auto& [option, separator] : {std::pair<const char*, char>{"option | DecimalSeparator | .\n", '.'},
                                            {"option | DecimalSeparator | \xC2\xB7\n", ','}, {"", ','}}) {
        const auto set = ParseHostData("type | A\n", option);
        EXPECT_EQ(HostDataOf(*set).DecimalSeparator, separator) << option;
    }
}

class SampleHostData : public test::SampleHostDataSuite {};

TEST_F(SampleHostData, DescribesEveryConvertedEvent) {
    const struct {
        uint8_t type, length, instrument;
    } converted[] = {{0x80, 18, 0x1A}, {0x85, 166, 0x1A}, {0x86, 94, 0x20}, {0x88, 40, 0xA0}, {0x88, 46, 0x1A},
                     {0x8B, 224, 0xBB}, {0x8D, 74, 0xA0}, {0x8E, 74, 0xB9}, {0xDC, 104, 0xB9}, {0xDC, 86, 0x20},
                     {0xDE, 62, 0x1A}, {0xDF, 30, 0x1A}, {0xE2, 30, 0x20}};
    for (const auto& c : converted) {
        TK7File file(&host_);
        file.SetParamBloc(ByteToHexString(c.instrument) + std::string(252, '0'));
        auto event = test::EventOf(test::Framed(test::EventBytes(c.type, c.length, 2)), &file);
        ASSERT_NE(event->Descriptor, nullptr) << int(c.type) << "/" << int(c.length);
        EXPECT_FALSE(event->Elements.empty());
        EXPECT_EQ(event->DescString().find("inconnu"), std::string::npos);
        // Every element renders and describes itself.
        for (const auto& element : event->Elements) {
            EXPECT_NE(element->ASCIIString(), "???");
            EXPECT_FALSE(element->Description().empty());
        }
    }
    // The report counts status events by these codes.
    for (const auto& [letter, status] : {std::pair<uint8_t, int32_t>{'b', 104}, {'s', 105}, {'h', 106}}) {
        TK7File file(&host_);
        const EventDescriptor* d = test::EventOf(test::Framed(test::EventBytes(0x80, 18, letter)), &file)->Descriptor;
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->StatusCode, status);
    }
}

}  // namespace
}  // namespace skylog
