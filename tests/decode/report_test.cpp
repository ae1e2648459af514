// Error texts, byte colours and the statistics rows of a beacon.

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;

// The texts that take the error's details, and the short labels that differ from them
// (the others are covered where the errors are raised and reported).
TEST(ErrorTexts, DetailsGoInTheirPlace) {
    EXPECT_EQ(ErrorText({kErrScnBadDate, "Q", "1;2"}), "Le scénario Q possède une mauvaise date. Données :1;2");
    EXPECT_EQ(ErrorLabel({kErrScnIncomplete, "Q", "1;2"}), "Le scénario Q semble être incomplet. Données :1;2");
    EXPECT_EQ(ErrorLabel({kErrWrongInstrument, "45", "46"}), "La balise est associée à un mauvais instrument");
    EXPECT_EQ(ErrorLabel({kErrScnBadEndMarker, "desc"}), "Scénario possèdant un mauvais marqueur de fin");
}

// A class past the table is gray, as one never examined; the last class has a colour.
TEST(ByteColours, UnknownClassesAreGray) {
    for (int c : {kByteTrailing + 1, -1, 255, int{kByteNotExamined}}) EXPECT_EQ(ByteClassColour(c), (TRgbColour{128, 128, 128}));
    EXPECT_EQ(ByteClassColour(kByteTrailing), (TRgbColour{0, 0, 0}));
}

class Report : public DecodeFixture {
protected:
    TDCPDataBloc& Block(size_t bytes, int32_t ignored, std::vector<int32_t> errors = {}) {
        TDCPDataBloc& block = AddBlock(std::string(bytes, 'x'), At(2005, 3, 7));
        block.IgnoredBytes = ignored;
        for (int32_t code : errors) block.AddError(code);
        return block;
    }
    void Build(char decimalSeparator = ',') {
        labels.clear();
        values.clear();
        BuildReport(*beacon_, labels, values, decimalSeparator);
    }
    StringList labels, values;
};

TEST_F(Report, IgnoredShareIsCutToWholePercents) {
    Build();
    EXPECT_THAT(values, ElementsAre("0 octets", "0 scénarios", "0 octets"));  // no share of nothing
    Block(600, 200);
    Block(400, 55);
    Build();
    EXPECT_THAT(values, ElementsAre("1000 octets", "0 scénarios", "255 octets (25,0%)"));
    Build('.');
    EXPECT_EQ(values[2], "255 octets (25.0%)");
}

// Sixteen codes at most: 116 is not reported, 115 is, under its unknown label.
TEST_F(Report, ErrorsAreCountedPerCodeInOrderOfFirstAppearance) {
    Block(10, 0, {kErrParameterBytes, kErrNoAssociation});
    Block(10, 0, {kErrParameterBytes, kErrParameterBytes});
    std::vector<int32_t> codes;
    for (int32_t code = 100; code < 117; ++code) codes.push_back(code);
    codes.push_back(100);
    Block(10, 0, codes);
    Build();
    ASSERT_EQ(labels.size(), 3u + 1u + 16u);
    EXPECT_THAT(std::vector(labels.begin() + 4, labels.begin() + 6),
                ElementsAre("Erreur Octets non conformes dans le bloc de paramétrage",
                            "Erreur La balise n'est pas associée à un instrument"));
    EXPECT_THAT(std::vector(values.begin() + 3, values.begin() + 7),
                ElementsAre("22 erreurs", "4 erreurs", "2 erreurs", "2 erreurs"));
    EXPECT_EQ(labels.back(), "Erreur Erreur inconnue");
}

TEST_F(Report, StatusCodesOfDescribedEvents) {
    EventDescriptor stop{.StatusCode = 0x68}, humidity{.StatusCode = 0x6A}, other{.StatusCode = 0x69 + 0x100};
    std::vector<std::unique_ptr<TEvenement>> events;
    auto event = [&](const EventDescriptor* descriptor) {
        events.push_back(std::make_unique<TEvenement>(nullptr));
        events.back()->Descriptor = descriptor;
        return events.back().get();
    };
    TDCPDataBloc& block = Block(10, 0);
    block.Events = {event(&stop), event(&stop), event(&humidity), event(nullptr), event(&other)};
    Build();
    EXPECT_EQ(values[1], "5 scénarios");
    EXPECT_THAT(std::vector(labels.begin() + 3, labels.end()),
                ElementsAre("Status erreur de butée 'b'", "Status humectage 'h'"));
    EXPECT_THAT(std::vector(values.begin() + 3, values.end()), ElementsAre("2 butées", "1 échantillons"));
    block.Events.clear();
}

}  // namespace
}  // namespace skylog::test
