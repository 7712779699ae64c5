#include <gtest/gtest.h>

#include "app/Registry.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegistryRootFolder(dir_.path() + "/TavelonLogin");
        SetRegistryProgramName("TavelonOrvane");
    }
    void TearDown() override { SetRegistryRootFolder({}); }
    testing_support::TempFolder dir_;
};

TEST_F(RegistryTest, ValuesRoundTripInTheProgramsFile) {
    EXPECT_EQ(ProfileReadString(u"config", u"language", u"Kor"), u"Kor");
    ASSERT_TRUE(ProfileWriteString(u"config", u"teacherid", u"선생님01"));
    ASSERT_TRUE(ProfileWriteInt(u"config", u"notetool_color", 58880));
    EXPECT_EQ(ProfileReadString(u"config", u"teacherid", u""), u"선생님01");
    EXPECT_EQ(ProfileReadInt(u"config", u"notetool_color", 0), 58880);
    EXPECT_EQ(ProfileReadInt(u"config", u"teacherid", 7), 7);  // not a number
    EXPECT_TRUE(
        testing_support::ReadFileBytes(dir_.path() + "/TavelonLogin/TavelonOrvane.conf").find("[config]") !=
        std::string::npos);
}

TEST_F(RegistryTest, NoteToolValuesAcceptOnlyTheirSets) {
    struct Case {
        int stored, color;
    };
    for (const Case c : {Case{255, 230}, Case{15132390, 15132390}, Case{0, 230}, Case{-1, 230}}) {
        ProfileWriteInt(u"config", u"notetool_color", c.stored);
        EXPECT_EQ(ReadNoteToolColor(), c.color) << c.stored;
    }
    for (const Case c : {Case{7, 2}, Case{1, 1}, Case{4, 4}, Case{0, 2}}) {
        ProfileWriteInt(u"config", u"notetool_pensizetype", c.stored);
        EXPECT_EQ(ReadNoteToolPenSizeType(), c.color) << c.stored;
    }
}

TEST_F(RegistryTest, CompatFlagIsAddedOnce) {
    const std::u16string exe = u"/opt/tavelon/TavelonOrvane";
    SetCompatLayerFlag(exe, u"HIGHDPIAWARE");
    CRegistry key(kCompatLayersKey, true);
    ASSERT_TRUE(key.Open());
    std::u16string value;
    key.ReadString(exe, value, u"");
    EXPECT_EQ(value, u"HIGHDPIAWARE");

    CRegistry writer(kCompatLayersKey);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.WriteString(u"/other", u"~ RUNASADMIN"));
    EXPECT_FALSE(key.WriteString(u"/other", u"x"));  // read-only
    SetCompatLayerFlag(u"/other", u"HIGHDPIAWARE");
    SetCompatLayerFlag(u"/other", u"HIGHDPIAWARE");
    key.Open();
    key.ReadString(u"/other", value, u"");
    EXPECT_EQ(value, u"~ RUNASADMIN HIGHDPIAWARE");
    EXPECT_TRUE(key.ReadString(u"/missing", value, u"dflt"));
    EXPECT_EQ(value, u"dflt");
}

}  // namespace
}  // namespace orvane
