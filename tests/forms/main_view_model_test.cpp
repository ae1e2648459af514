// The main window's rules without widgets.

#include <gtest/gtest.h>

#include "dcp/UDCPList.h"
#include "forms/MainViewModel.h"
#include "import/UDecodFile.h"

namespace skylog::forms {
namespace {

TEST(MainViewModel, LatitudeAndLongitudeTexts) {
    const struct {
        int32_t value;
        const char* latitude;
        const char* longitude;
    } cases[] = {
        {0, "0 mn", "0 h 0 mn"},         {300, "300 mn", "1 h 44 mn"},   {-300, "-300 mn", "-1 h -44 mn"},
        {255, "255 mn", "0 h 255 mn"},   {-256, "-256 mn", "-1 h 0 mn"}, {-1, "-1 mn", "0 h -1 mn"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LatitudeText(c.value), c.latitude) << c.value;
        EXPECT_EQ(LongitudeText(c.value), c.longitude) << c.value;
    }
}

TEST(MainViewModel, DeclaredLengthIsAnEqualsSignWhenTheBodyIsAccountedFor) {
    TDCPDataBloc block(nullptr);
    block.DeclaredLength = 20;
    block.TrailingBytes = 3;
    for (const auto& [body, shown] : {std::pair{28, " ="}, std::pair{29, "20"}, std::pair{27, "20"}}) {
        block.BodyLength = body;
        EXPECT_EQ(DeclaredLengthText(block), shown) << body;
        EXPECT_EQ(BlocRowTexts(block)[2], shown);
    }
}

TEST(MainViewModel, DateFieldsAreReadWithTwoDigitYearsAndRefusedWhenNoSuchDay) {
    const struct {
        TDateFieldTexts fields;
        std::optional<TDateFieldTexts> shown;  // the day read, as the fields then show it
    } cases[] = {
        {{"5", "3", "7"}, TDateFieldTexts{"5", "3", "2007"}},
        {{"31", "2", "2006"}, std::nullopt},
        {{"29", "2", "2004"}, TDateFieldTexts{"29", "2", "2004"}},
        {{"1", "1", "80"}, TDateFieldTexts{"1", "1", "2080"}},
        {{"1", "1", "81"}, TDateFieldTexts{"1", "1", "1981"}},
        {{"07", "03", "2005"}, TDateFieldTexts{"7", "3", "2005"}},
        {{"x", "1", "2000"}, std::nullopt},
        {{"", "1", "2000"}, std::nullopt},
        {{"1", "13", "2000"}, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<TDateTime> day = ReadDateFields(c.fields);
        ASSERT_EQ(day.has_value(), c.shown.has_value()) << c.fields.Day << "/" << c.fields.Month;
        if (!day) continue;
        const TDateFieldTexts shown = DateFieldTexts(*day);
        EXPECT_EQ(shown.Day + "/" + shown.Month + "/" + shown.Year, c.shown->Day + "/" + c.shown->Month + "/" + c.shown->Year);
    }
}

TEST(MainViewModel, DaysBeforeCountsAnythingButAPositiveIntegerAsZero) {
    for (const auto& [text, days] : {std::pair{"2", 2}, std::pair{" 10 ", 10}, std::pair{"abc", 0}, std::pair{"", 0},
                                     std::pair{"-3", 0}, std::pair{"1.5", 0}})
        EXPECT_EQ(DaysBeforeOf(text), days) << text;
}

TEST(MainViewModel, ErrorReportHasOneLinePerRecordOrSaysThereIsNone) {
    EXPECT_EQ(ErrorReportLines({}), std::vector<std::string>{"Aucune erreur détectée"});
    TDecodFileError error;
    error.Code = 3;
    error.Line = 12;
    error.S1 = "17A4C2E6";
    EXPECT_EQ(ErrorReportLines({error}),
              std::vector<std::string>{"Ligne 12, E=3, " + TDecodFile::ErrorMessage(error)});
}

TEST(MainViewModel, HeadTextsWithoutBlockAndWithUnknownValues) {
    const auto texts = [](const TDCPDataBloc* block) {
        const TGeneralParamTexts t = GeneralParamTexts(block, nullptr);
        return t.Cycle + "|" + t.InstrumentId + "|" + t.InstrumentTypeName;
    };
    EXPECT_EQ(texts(nullptr), "-|-|");
    TDCPDataBloc block(nullptr);
    for (const auto& [cycle, code, shown] :
         {std::tuple{-1, 0, "?|?|"}, std::tuple{7, 0x2A, "7|42 (0x2A)|Inconnu (42, 0x2A)"}}) {
        block.CyclicNumber = cycle;
        block.InstrumentCode = code;
        EXPECT_EQ(texts(&block), shown);
    }
}

TEST(MainViewModel, BeaconWithoutAssociationOnTheDay) {
    TDCP beacon;
    beacon.Name = "Lampedusa";
    const auto row = BeaconRowTexts(beacon, 38418);
    EXPECT_EQ(row, (std::array<std::string, 6>{"Lampedusa", "0", "0", "-", "Pas d'association", "-"}));
}

TEST(MainViewModel, WhichViewsShowInWhichState) {
    const struct {
        bool locked;
        int beacon;
        std::optional<size_t> blockErrors;
        bool latLon;
        TMainViewState expected;
    } cases[] = {
        // BeaconList, SingleBeacon, ToggleEnabled, ToggleText, VoirCorps, Params, LatLon, ErrorReport
        {false, -1, std::nullopt, false, {true, false, false, "Selectionner DCP", false, false, false, false}},
        {false, 2, std::nullopt, true, {true, false, true, "Selectionner DCP", false, false, true, false}},
        {false, 2, size_t{0}, false, {true, false, true, "Selectionner DCP", true, true, false, false}},
        {true, 2, size_t{3}, false, {false, true, true, "Voir la liste DCP", true, true, false, true}},
    };
    for (const auto& c : cases) {
        const auto fields = [](const TMainViewState& s) {
            return std::tuple(s.BeaconListVisible, s.SingleBeaconVisible, s.ToggleEnabled, s.ToggleText,
                              s.VoirCorpsEnabled, s.GeneralParamsVisible, s.LatLonVisible, s.ErrorReportVisible);
        };
        EXPECT_EQ(fields(ViewStateOf(c.locked, c.beacon, c.blockErrors, c.latLon)), fields(c.expected))
            << c.locked << c.beacon;
    }
    EXPECT_EQ(EffectiveIndex(3, 3), -1);
    EXPECT_EQ(EffectiveIndex(2, 3), 2);
}

}  // namespace
}  // namespace skylog::forms
