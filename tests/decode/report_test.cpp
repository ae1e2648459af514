// Error texts, byte colours and the statistics rows of a beacon.

#include "tests/decode/DecodeFixture.h"

namespace skylog::test {
namespace {

using ::testing::ElementsAre;

TEST(ErrorTexts, LongAndShortForms) {
    EXPECT_EQ(ErrorText({kErrNoData}), "Erreur \"No Data\"");
    EXPECT_EQ(ErrorText({kErrParameterBytes}), "Octets non conformes dans le bloc de paramétrage");
    EXPECT_EQ(ErrorText({kErrWrongInstrument, "45", "46"}),
              "La balise est associée à l'instrument #45 alors que le message provient du numéro #46");
    EXPECT_EQ(ErrorLabel({kErrWrongInstrument, "45", "46"}), "La balise est associée à un mauvais instrument");
    EXPECT_EQ(ErrorText({kErrScnBadEndMarker, "desc"}), "Le scénario desc possède un mauvais marqueur de fin");
    EXPECT_EQ(ErrorLabel({kErrScnBadEndMarker, "desc"}), "Scénario possèdant un mauvais marqueur de fin");
    EXPECT_EQ(ErrorText({kErrScnBadDate, "Q", "1;2"}), "Le scénario Q possède une mauvaise date. Données :1;2");
    EXPECT_EQ(ErrorLabel({kErrScnIncomplete, "Q", "1;2"}), "Le scénario Q semble être incomplet. Données :1;2");
    EXPECT_EQ(ErrorText({99}), "Erreur inconnue");
    EXPECT_EQ(ErrorLabel({114}), "Erreur inconnue");
}

TEST(ByteColours, EveryClass) {
    const TRgbColour gray{128, 128, 128}, red{255, 0, 0}, blue{0, 0, 255};
    const std::vector<TRgbColour> expected{gray, {0, 128, 0}, red, red, red, red, {128, 128, 0}, {0, 128, 128},
                                           {0, 0, 128}, blue, blue, {0, 0, 0}};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(ByteClassColour(c), expected[c]) << c;
    EXPECT_EQ(ByteClassColour(12), gray);
    EXPECT_EQ(ByteClassColour(-1), gray);
    EXPECT_EQ(ByteClassColour(255), gray);
}

class Report : public DecodeFixture {
protected:
    ~Report() override { SetDecimalSeparator(','); }
    TDCPDataBloc& Block(size_t bytes, int32_t ignored, std::vector<int32_t> errors = {}) {
        TDCPDataBloc& block = AddBlock(std::string(bytes, 'x'), At(2005, 3, 7));
        block.IgnoredBytes = ignored;
        for (int32_t code : errors) block.AddError(code);
        return block;
    }
    void Build() {
        labels.clear();
        values.clear();
        BuildReport(*beacon_, labels, values);
    }
    StringList labels, values;
};

TEST_F(Report, IgnoredShareIsCutToWholePercents) {
    Block(600, 200);
    Block(400, 55);
    Build();
    EXPECT_THAT(labels, ElementsAre("Octets transmis", "Scénarios décodés", "Octets ignorés"));
    EXPECT_THAT(values, ElementsAre("1000 octets", "0 scénarios", "255 octets (25,0%)"));
    SetDecimalSeparator('.');
    Build();
    EXPECT_EQ(values[2], "255 octets (25.0%)");
}

TEST_F(Report, NothingTransmittedHasNoShare) {
    Build();
    EXPECT_THAT(values, ElementsAre("0 octets", "0 scénarios", "0 octets"));
}

TEST_F(Report, ErrorsAreCountedPerCodeInOrderOfFirstAppearance) {
    Block(10, 0, {kErrParameterBytes, kErrNoAssociation});
    Block(10, 0, {kErrParameterBytes, kErrParameterBytes});
    Block(10, 0, {kErrParameterBytes, kErrParameterBytes});
    Build();
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[3], "Erreurs (total)");
    EXPECT_EQ(values[3], "6 erreurs");
    EXPECT_EQ(labels[4], "Erreur Octets non conformes dans le bloc de paramétrage");
    EXPECT_EQ(values[4], "5 erreurs");
    EXPECT_EQ(labels[5], "Erreur La balise n'est pas associée à un instrument");
    EXPECT_EQ(values[5], "1 erreurs");
}

TEST_F(Report, AtMostSixteenCodes) {
    std::vector<int32_t> codes;
    for (int32_t code = 100; code < 117; ++code) codes.push_back(code);
    codes.push_back(116);
    codes.push_back(100);
    Block(10, 0, codes);
    Build();
    ASSERT_EQ(labels.size(), 3u + 1u + 16u);
    EXPECT_EQ(values[3], "19 erreurs");
    EXPECT_EQ(values[4], "2 erreurs");
    EXPECT_EQ(labels.back(), "Erreur Erreur inconnue");  // code 115; 116 is not reported
    EXPECT_EQ(values.back(), "1 erreurs");
}

TEST_F(Report, StatusCodesOfDescribedEvents) {
    EventDescriptor stop, humidity, other;
    stop.StatusCode = 0x68;
    humidity.StatusCode = 0x6A;
    other.StatusCode = 0x69 + 0x100;
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
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[3], "Status erreur de butée 'b'");
    EXPECT_EQ(values[3], "2 butées");
    EXPECT_EQ(labels[4], "Status humectage 'h'");
    EXPECT_EQ(values[4], "1 échantillons");
    block.Events.clear();
}

}  // namespace
}  // namespace skylog::test
