#include "metafile/EmfRecordTypes.h"

#include <gtest/gtest.h>

#include <string>

namespace slidemill {
namespace {

TEST(EmfRecordTypes, NamesAndTreatments) {
    struct Case {
        uint32_t type;
        const char* name;
        EmfRecordTreatment treatment;
        bool known;
    } cases[] = {
        {1, "EMR_HEADER", EmfRecordTreatment::PlayedAndDrawn, true},
        {4, "EMR_POLYLINE", EmfRecordTreatment::Drawn, true},
        {14, "EMR_EOF", EmfRecordTreatment::PlayedAndDrawn, true},
        {37, "EMR_SELECTOBJECT", EmfRecordTreatment::PlayedAndDrawn, true},
        {38, "EMR_CREATEPEN", EmfRecordTreatment::Played, true},
        {70, "EMR_COMMENT", EmfRecordTreatment::Played, true},
        {87, "EMR_POLYLINE16", EmfRecordTreatment::Drawn, true},
        {93, "EMR_CREATEMONOBRUSH", EmfRecordTreatment::Built, true},
        {94, "EMR_CREATEDIBPATTERNBRUSHPT", EmfRecordTreatment::Built, true},
        {105, "EMR_DRAWESCAPE", EmfRecordTreatment::Ignored, true},
        {107, "EMR_UNKNOWN", EmfRecordTreatment::Ignored, true},
        {117, "EMR_UNKNOWN", EmfRecordTreatment::Ignored, true},
        {118, "EMR_GRADIENTFILL", EmfRecordTreatment::Drawn, true},
        {122, "EMR_CREATECOLORSPACEW", EmfRecordTreatment::Played, true},
        {0, "EMR_UNKNOWN", EmfRecordTreatment::Played, false},
        {69, "EMR_UNKNOWN", EmfRecordTreatment::Played, false},
        {123, "EMR_UNKNOWN", EmfRecordTreatment::Played, false},
        {0xFFFFFFFF, "EMR_UNKNOWN", EmfRecordTreatment::Played, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(std::string(EmfRecordName(c.type)), c.name);
        EXPECT_EQ(EmfRecordTreatmentOf(c.type), c.treatment);
        EXPECT_EQ(IsKnownEmfRecordType(c.type), c.known);
    }
}

TEST(EmfRecordTypes, StockObjectIndex) {
    EXPECT_TRUE(IsStockObjectIndex(0x80000007u));
    EXPECT_EQ(StockObjectNumber(0x80000007u), 7u);
    EXPECT_FALSE(IsStockObjectIndex(7));
}

}  // namespace
}  // namespace slidemill
