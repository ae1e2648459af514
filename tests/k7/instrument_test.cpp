#include <gtest/gtest.h>

#include "k7/UInstrument.h"
#include "tests/k7/K7TestSupport.h"

namespace skylog {
namespace {

InstrumentTypeList TwoTypes() {
    InstrumentTypeList list;
    InstrumentType automatic{"Photomètre automatique", {"SP1A0000"}, {}};
    automatic.Filters.push_back({1, 1020.0, "A", "", false, 0});
    automatic.Filters.push_back({2, 870.0, "A", "ciel", false, 0});
    automatic.Filters.push_back({2, 870.0, "P", "", true, 3});
    automatic.Filters.push_back({3, 0.0, "B", "", false, 0});
    InstrumentType variant{"Variante", {"SP1A0001", "SP200000"}, {}};
    InstrumentType shadow{"Doublon", {"SP1A0000"}, {}};
    list.Types = {automatic, variant, shadow};
    return list;
}

TEST(InstrumentLookup, UnknownCodesAndIdents) {
    const InstrumentTypeList empty;
    EXPECT_EQ(InstrumentTypeName(&empty, 255), "Inconnu (255, 0xFF)");
    EXPECT_EQ(InstrumentTypeNameOfIdent(&empty, "SP1A0000"), "Inconnu (SP1A0000)");
    // No list at all behaves as an empty one.
    EXPECT_TRUE(IsUnknownInstrumentCode(nullptr, 26));
    EXPECT_EQ(FindInstrumentType(nullptr, "SP1A0000"), nullptr);

    // Codes designate only their type's ident.
    const InstrumentTypeList list = TwoTypes();
    EXPECT_EQ(InstrumentTypeName(&list, 26), "Photomètre automatique");
    // SP1A0001 names the variant, but no code designates it.
    EXPECT_EQ(InstrumentTypeNameOfIdent(&list, "SP1A0001"), "Variante");
    EXPECT_EQ(InstrumentTypeName(&list, 0x20), "Variante");
    EXPECT_FALSE(IsUnknownInstrumentCode(&list, 0x1A));
    EXPECT_TRUE(IsUnknownInstrumentCode(&list, 0x1B));
    EXPECT_EQ(FindInstrumentType(&list, "sp1a0000"), nullptr);  // case matters
    // The earlier type wins on a shared identification.
    EXPECT_EQ(FindInstrumentType(&list, "SP1A0000"), &list.Types[0]);
}

TEST(Filters, FoundByNumberAndNameTextAndLabel) {
    const InstrumentTypeList list = TwoTypes();
    const InstrumentType& type = list.Types[0];
    EXPECT_EQ(FindFilter(&type, 2, "A"), &type.Filters[1]);
    EXPECT_EQ(FindFilter(&type, 2, "P"), &type.Filters[2]);
    EXPECT_EQ(FindFilter(&type, 1, "P"), nullptr);  // number exists only under another name

    const auto& filters = type.Filters;
    EXPECT_EQ(FilterText(filters[2]), "870 P3");  // the polarisation channel, not the filter number
    EXPECT_EQ(FilterText(filters[3]), "");
    EXPECT_EQ(FilterLabel(filters[1]), "A 870 nm ciel");
    EXPECT_EQ(FilterLabel(filters[3]), "B ");  // the trailing space stays
    EXPECT_EQ(FilterText({1, 870.6, "A", "", false, 0}), "871 nm");
    // Too many digits for the precision: scientific form, with the host's separator.
    EXPECT_EQ(FilterText({1, 12345678, "A", "", false, 0}, '.'), "1.23457E+7 nm");
}

}  // namespace
}  // namespace skylog
