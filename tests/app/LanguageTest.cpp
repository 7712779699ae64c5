#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/Language.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

// A program folder of our own as the current directory, with the English pack in language/.
class LanguageFolder : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = fs::current_path();
        folder_ = testing::TempDir() + "lang_" + std::to_string(::getpid());
        fs::remove_all(folder_);
        fs::create_directories(folder_ + "/language");
        fs::copy_file(ORVANE_ENGLISH_PACK, folder_ + "/language/Tavelon OrvaneEng.rcc");
        fs::current_path(folder_);
    }
    void TearDown() override {
        UnloadLanguageResources();
        fs::current_path(saved_);
        fs::remove_all(folder_);
    }

    fs::path saved_;
    std::string folder_;
};

TEST_F(LanguageFolder, LoadsThePackOfTheCodeOrFallsBackToKorean) {
    std::ofstream(folder_ + "/language/Tavelon OrvaneBad.rcc") << "not a resource file";
    const struct {
        std::u16string code;
        bool packPresent;
        std::string tried;
        std::u16string codeAfter;
        std::u16string exitQuestion;  // string 206
    } cases[] = {
        {u"Kor", true, "", u"Kor", u"Tavelon Orvane을 종료하시겠습니까?"},
        {u"Eng", true, "./language/Tavelon OrvaneEng.rcc", u"Eng", u"Do you want to exit Tavelon Orvane?"},
        {u"Eng", false, "./language/Tavelon OrvaneEng.rcc", u"Kor", u"Tavelon Orvane을 종료하시겠습니까?"},
        {u"kor", true, "./language/Tavelon Orvanekor.rcc", u"Kor", u"Tavelon Orvane을 종료하시겠습니까?"},
        {u"Bad", true, "./language/Tavelon OrvaneBad.rcc", u"Kor", u"Tavelon Orvane을 종료하시겠습니까?"},
    };
    for (const auto& c : cases) {
        if (!c.packPresent)
            fs::rename("language/Tavelon OrvaneEng.rcc", "language/away.rcc");
        g_languageCode = c.code;
        EXPECT_EQ(LoadLanguageResources(), c.tried);
        EXPECT_EQ(g_languageCode, c.codeAfter);
        EXPECT_EQ(LoadString(206), c.exitQuestion);
        ASSERT_NE(g_languageModule, nullptr);
        EXPECT_EQ(g_languageModule->IsBuiltIn(), c.codeAfter == u"Kor");
        if (!c.packPresent)
            fs::rename("language/away.rcc", "language/Tavelon OrvaneEng.rcc");
    }
    // The OK button carries its word: the two languages draw it differently.
    g_languageCode = u"Eng";
    LoadLanguageResources();
    const QImage english = RenderImage(169);
    UnloadLanguageResources();
    const QImage korean = RenderImage(169);
    EXPECT_EQ(english.size(), korean.size());
    EXPECT_NE(english, korean);
}

TEST_F(LanguageFolder, BothLanguagesCarryEveryStringAndPicture) {
    g_languageCode = u"Eng";
    LoadLanguageResources();
    ASSERT_EQ(g_languageCode, u"Eng");
    const LanguageModule& english = *g_languageModule;
    const LanguageModule& korean = LanguageModule::BuiltIn();

    const int strings[] = {101,  103,  201,  202,  205,  206,  207,  208,  210,  211,  213,  215,  216,  217,
                           221,  222,  223,  224,  225,  226,  227,  229,  230,  231,  232,  234,  1103, 1104,
                           1105, 1106, 1109, 1110, 1111, 1112, 1113, 1114, 1115, 1220, 1221, 1222, 1223, 1224,
                           1232, 1233, 1234, 1235, 1237, 1238, 1520, 1522, 1525, 1601, 2607};
    for (int id : strings) {
        EXPECT_FALSE(korean.String(id).empty()) << id;
        EXPECT_FALSE(english.String(id).empty()) << id;
    }
    EXPECT_EQ(korean.String(1104), u"선생님 ID로 사용할 수 없는 문자(\",\\<>&|:/*?\"\")가 사용되었습니다.");
    EXPECT_EQ(korean.String(229), u"Tavelon Teacher와 연결이 끊어져 프로그램이 종료됩니다");
    EXPECT_EQ(korean.String(230),
              u"로그인 서버와 접속이 되지 않습니다.\nWi-Fi에 정상연결되어 있는지 확인해 주세요.");
    EXPECT_EQ(korean.String(2607), u"굴림");
    EXPECT_TRUE(korean.String(9999).empty());

    // Every picture id with its design size (the size at scale 1.0).
    const struct {
        int width, height;
        std::vector<int> ids;
    } pictures[] = {
        {39, 34, {137, 174, 175, 625}},
        {50, 64, {139, 142, 143, 145, 146, 147, 150, 151, 152, 153, 156, 157, 178, 179, 180, 181}},
        {56, 28, {140, 141, 144, 154, 186, 187}},
        {160, 225, {138}},
        {70, 70, {183}},
        {67, 34, {160, 161, 166, 167, 168, 169, 170, 171, 184, 185}},
        {252, 29, {162}},
        {376, 89, {163}},
        {341, 2, {164}},
        {470, 124, {172}},
        {55, 50, {173}},
        {63, 63, {177}},
        {64, 64, {128}},
        {541, 249, {129}},
        {111, 34, {130, 131, 430, 431}},
        {46, 46, {616, 617, 618, 619, 620, 621, 622, 623, 624}},
        {39, 38, {647, 648, 649, 650, 651, 652, 683, 684, 685}},
        {77, 30, {653, 654, 655, 656, 657, 658, 659, 660, 661, 662, 663, 664}},
        {39, 39, {629, 630, 631, 632, 633, 634, 635, 636, 637, 638, 639, 640,
                  671, 672, 673, 674, 675, 676, 677, 678, 679, 680, 681, 682}},
        {40, 40, {626, 627, 628, 665, 666, 667}},
    };
    for (bool useEnglish : {false, true}) {
        if (!useEnglish)
            UnloadLanguageResources();
        for (const auto& group : pictures) {
            for (int id : group.ids) {
                EXPECT_EQ(ImageDesignSize(id), QSize(group.width, group.height)) << id;
                const QImage image = RenderImage(id, QSize(group.width * 2, group.height * 2));
                EXPECT_EQ(image.size(), QSize(group.width * 2, group.height * 2)) << id;
            }
        }
    }
    EXPECT_FALSE(LoadImageData(177).isEmpty());
    EXPECT_TRUE(RenderImage(9999).isNull());
}

}  // namespace
}  // namespace orvane
