#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>

#include "uikit/Banner.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/GifBuilder.h"
#include "uikit/ImageButton.h"
#include "uikit/PictureEx.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

// Sets the scale for one test and puts it back.
class ScaleGuard {
  public:
    explicit ScaleGuard(double scale) : saved_(g_scaleFactor) { g_scaleFactor = scale; }
    ~ScaleGuard() { g_scaleFactor = saved_; }

  private:
    double saved_;
};

// Runs `act` on the message box as soon as it is modal (from the box's own event loop).
void WhenBoxOpens(std::function<void(CCustomMsgDlg*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* box = dynamic_cast<CCustomMsgDlg*>(QApplication::activeModalWidget());
            box && box->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

bool WaitFor(const std::function<bool()>& condition, int limitMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < limitMs)
        QTest::qWait(10);
    return condition();
}

TEST(Scale, RoundsDesignNumbersDown) {
    const struct {
        double scale;
        int base, pixels;
    } cases[] = {{1.0, 173, 173},  {1.4, 173, 242}, {1.4, 279, 390}, {1.4, 5, 7},   {1.4, 35, 49},
                 {2.0, 504, 1008}, {1.5, 173, 259}, {1.5, 279, 418}, {1.4, 31, 43}, {1.4, 67, 93}};
    for (const auto& c : cases) {
        ScaleGuard scale(c.scale);
        EXPECT_EQ(Scaled(c.base), c.pixels) << c.base << " x " << c.scale;
    }
    EXPECT_EQ(ScaleForScreen(3840, 2160), 2.0);
    EXPECT_EQ(ScaleForScreen(2560, 1440), 1.4);
    EXPECT_EQ(ScaleForScreen(1920, 1080), 1.0);
    EXPECT_EQ(ScaleForScreen(1080, 2001), 1.4);
}

TEST(CustomMsgDlg, ShowsTheButtonsOfItsTypeAndReturnsTheirResults) {
    // Type, the buttons left to right with their x, and the result of each.
    struct Shown {
        int id, x, result;
    };
    const struct {
        int type;
        std::vector<Shown> buttons;
    } cases[] = {
        {0, {{1, 418, 1}}},
        {3, {{1246, 272, 6}, {1247, 345, 7}, {2, 418, 2}}},
        {4, {{1246, 345, 6}, {1247, 418, 7}}},
        {1, {}},
        {7, {}},
    };
    for (const auto& c : cases) {
        for (size_t pick = 0; pick <= c.buttons.size(); ++pick) {
            CCustomMsgDlg box(QStringLiteral("text"), QString(), c.type);
            int shownCount = 0;
            for (int id : {1, 2, 1246, 1247})
                shownCount += !box.Button(id)->isHidden();
            EXPECT_EQ(shownCount, static_cast<int>(c.buttons.size())) << "type " << c.type;
            for (const Shown& s : c.buttons) {
                EXPECT_FALSE(box.Button(s.id)->isHidden());
                EXPECT_EQ(box.Button(s.id)->geometry(), QRect(s.x, 183, 67, 34)) << "type " << c.type;
            }
            // The last pick is the close button, which always gives 2.
            const bool close = pick == c.buttons.size();
            const int id = close ? 1628 : c.buttons[pick].id;
            WhenBoxOpens([id](CCustomMsgDlg* open) { QTest::mouseClick(open->Button(id), Qt::LeftButton); });
            EXPECT_EQ(box.DoModal(), close ? kIdCancel : c.buttons[pick].result) << "type " << c.type;
        }
    }
}

TEST(CustomMsgDlg, EnterPressesTheFocusedOrFirstButtonAndEscapeCancels) {
    const struct {
        int type;
        int key;
        int focusId;  // 0: leave the focus where the box put it
        int result;
    } cases[] = {
        {0, Qt::Key_Return, 0, kIdOk},     {4, Qt::Key_Return, 0, kIdYes},
        {3, Qt::Key_Enter, 0, kIdYes},     {4, Qt::Key_Return, 1247, kIdNo},
        {3, Qt::Key_Return, 2, kIdCancel}, {0, Qt::Key_Escape, 0, kIdCancel},
        {4, Qt::Key_Escape, 0, kIdCancel}, {1, Qt::Key_Escape, 0, kIdCancel},
    };
    for (const auto& c : cases) {
        CCustomMsgDlg box(QStringLiteral("text"), QStringLiteral("caption"), c.type);
        WhenBoxOpens([&c](CCustomMsgDlg* open) {
            if (c.focusId)
                open->Button(c.focusId)->setFocus();
            QTest::keyClick(open, static_cast<Qt::Key>(c.key));
        });
        EXPECT_EQ(box.DoModal(), c.result) << "type " << c.type << " key " << c.key;
    }

    // With no answer button Enter does nothing; the box stays until it is closed.
    CCustomMsgDlg box(QStringLiteral("text"), QString(), 1);
    bool stillOpen = false;
    WhenBoxOpens([&stillOpen](CCustomMsgDlg* open) {
        QTest::keyClick(open, Qt::Key_Return);
        stillOpen = open->isVisible();
        open->close();
    });
    EXPECT_EQ(box.DoModal(), kIdCancel);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(box.Caption(), QStringLiteral("Tavelon Orvane"));
}

TEST(CustomMsgDlg, ScalesEveryDesignNumber) {
    ScaleGuard scale(2.0);
    CCustomMsgDlg box(QStringLiteral("text"), QString(), 3);
    EXPECT_EQ(box.size(), QSize(1008, 468));
    EXPECT_EQ(box.Button(1246)->geometry(), QRect(544, 366, 134, 68));
    EXPECT_EQ(box.Button(2)->geometry(), QRect(836, 366, 134, 68));
    EXPECT_EQ(box.Button(1628)->geometry(), QRect(926, 0, 78, 68));
}

TEST(CustomMsgDlg, CentresTheTextBetween63And163) {
    for (double s : {1.0, 1.4, 2.0}) {
        ScaleGuard scale(s);
        const QString oneLine = QStringLiteral("Tavelon Orvane");
        const QString twoLines = QString::fromUtf16(
            u"로그인 서버와 접속이 되지 않습니다.\nWi-Fi에 정상연결되어 있는지 확인해 주세요.");
        // Far more than the box holds: starts at the top and is drawn past the bottom, not clipped.
        const QString tooLong = QString(twoLines + u'\n').repeated(6);
        int previousTop = Scaled(163);
        for (const QString& text : {oneLine, twoLines, tooLong}) {
            CCustomMsgDlg box(text, QString(), 0);
            const QRect r = box.TextRect();
            const QFontMetrics metrics(UiFont(13, false));
            const int height = metrics.boundingRect(r, Qt::TextWordWrap, text).height();
            EXPECT_GE(r.top(), Scaled(63));
            EXPECT_LT(r.top(), previousTop);
            if (height <= Scaled(163) - Scaled(63)) {
                const int above = r.top() - Scaled(63);
                const int below = Scaled(163) - (r.top() + height);
                EXPECT_LE(std::abs(above - below), 1) << text.toStdString() << " at " << s;
            } else {
                EXPECT_EQ(r.top(), Scaled(63));
                EXPECT_GE(r.height(), height);
            }
            EXPECT_EQ(r.left(), Scaled(110));
            EXPECT_EQ(r.right() + 1, Scaled(460));
            previousTop = r.top();
        }
    }
}

TEST(ImageButton, ChoosesItsPictureByStateAndKeepsTheOwnersCheck) {
    CImageButton button;
    button.SetBitmaps(142, 151, 179, 150);
    EXPECT_EQ(button.BitmapSize(), QSize(50, 64));
    button.SetCheckStyle(true);
    button.resize(50, 64);
    button.show();

    EXPECT_EQ(button.CurrentBitmapId(), 142);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.IsHover());
    EXPECT_EQ(button.CurrentBitmapId(), 151);
    button.SetCheck(true);
    EXPECT_EQ(button.CurrentBitmapId(), 150);
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentBitmapId(), 179);  // disabled wins even when checked
    button.setEnabled(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHover());

    // A tap reports the click but leaves the check state to the owner.
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button.GetCheck());

    // The picture is drawn at the button's size, scaled or not.
    button.resize(100, 128);
    const QImage drawn = button.grab().toImage();
    EXPECT_EQ(drawn.size(), QSize(100, 128));
    EXPECT_NE(drawn.pixelColor(50, 4), drawn.pixelColor(0, 0));  // the tile, not an empty corner
}

TEST(ImageButton, ConsumesAltF4) {
    QDialog window;
    auto* button = new CImageButton(&window);
    button->SetBitmaps(137, 137, 137, 137);
    window.show();
    button->setFocus();
    ASSERT_TRUE(WaitFor([&] { return window.isVisible(); }));
    QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(QApplication::sendEvent(button, &altF4));
    EXPECT_TRUE(altF4.isAccepted());
    EXPECT_TRUE(window.isVisible());
}

TEST(Banners, PlaceTheirTextAsDesignedAndTheLoadingBoxCannotBeClosed) {
    for (double s : {1.0, 2.0}) {
        ScaleGuard scale(s);
        CWaitMsgDlg wait;
        wait.SetText(QStringLiteral("Saved."));
        EXPECT_EQ(wait.size(), Scaled(400, 50));
        const QRect line = wait.TextControl()->geometry();
        EXPECT_EQ(line.x(), 1);
        EXPECT_EQ(line.width(), Scaled(400) - 1);
        EXPECT_EQ(line.height(), Scaled(23));
        EXPECT_EQ(line.center().y(), (Scaled(50) - 1) / 2);

        CLoadingDlg loading;
        loading.SetText(QStringLiteral("Connecting..."));
        EXPECT_EQ(loading.size(), Scaled(320, 210));
        EXPECT_EQ(loading.TextControl()->geometry(), Scaled(6, 136, 307, 21));
        EXPECT_EQ(loading.Picture()->geometry(), QRect(Scaled(320) / 2 - 31, Scaled(56), 63, 63));
        EXPECT_TRUE(loading.Picture()->IsAnimating());
        EXPECT_EQ(loading.Picture()->FrameCount(), 12u);

        loading.show();
        ASSERT_TRUE(WaitFor([&] { return loading.isVisible(); }));
        loading.close();
        QTest::keyClick(&loading, Qt::Key_Escape);
        EXPECT_TRUE(loading.isVisible());
        loading.hide();
    }
}

TEST(PictureEx, AppliesDelaysOffsetsAndDisposal) {
    // Frame 0 paints the whole 6 x 4 screen red and stays; frame 1 puts green at (1, 1) and is
    // replaced by the background; frame 2 puts blue at (4, 2) and restores what was under it.
    const auto bytes =
        test::BuildGif(6, 4,
                       {test::SolidFrame(0, 0, 6, 4, 1, 3, 1), test::SolidFrame(1, 1, 2, 2, 2, 5, 2),
                        test::SolidFrame(4, 2, 2, 2, 3, 0, 3)});
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()))));
    EXPECT_EQ(picture.FrameCount(), 3u);
    EXPECT_EQ(picture.PictureSize(), QSize(6, 4));
    EXPECT_EQ(picture.FrameDisplayTimes(), (std::vector<int>{100, 50, 100}));

    const QColor background(20, 32, 54);
    picture.SetBackgroundColor(background);
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    auto at = [&](int x, int y) { return picture.Snapshot().pixelColor(x, y); };

    EXPECT_EQ(picture.ShowFrame(0), 100);
    EXPECT_EQ(at(0, 0), red);
    picture.DisposeFrame(0);
    EXPECT_EQ(at(0, 0), red);
    EXPECT_EQ(picture.ShowFrame(1), 50);
    EXPECT_EQ(at(1, 1), green);
    EXPECT_EQ(at(0, 0), red);
    picture.DisposeFrame(1);
    EXPECT_EQ(at(1, 1), background);
    EXPECT_EQ(at(3, 3), red);
    picture.ShowFrame(2);
    EXPECT_EQ(at(4, 2), blue);
    picture.DisposeFrame(2);
    EXPECT_EQ(at(4, 2), red);
    EXPECT_EQ(at(1, 1), background);
    picture.ClearToBackground();
    EXPECT_EQ(at(3, 3), background);

    // The thread runs the same steps for ever and stops on request.
    ASSERT_TRUE(picture.Draw());
    EXPECT_TRUE(picture.IsAnimating());
    EXPECT_TRUE(WaitFor([&] { return at(1, 1) == green; }));
    EXPECT_TRUE(WaitFor([&] { return at(4, 2) == blue; }));
    picture.Stop();
    EXPECT_FALSE(picture.IsAnimating());
}

TEST(PictureEx, ShowsOneImageOrAnyPictureWhole) {
    const auto single = test::BuildGif(3, 2, {test::SolidFrame(0, 0, 3, 2, 3, 0)});
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(
        QByteArray(reinterpret_cast<const char*>(single.data()), static_cast<int>(single.size()))));
    EXPECT_EQ(picture.FrameCount(), 1u);
    ASSERT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsAnimating());
    EXPECT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.Snapshot().pixelColor(2, 1), QColor(0, 0, 255));

    QImage png(5, 4, QImage::Format_RGB32);
    png.fill(Qt::yellow);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");
    ASSERT_TRUE(picture.Load(encoded));
    EXPECT_EQ(picture.PictureSize(), QSize(5, 4));
    EXPECT_FALSE(picture.Load(QByteArray("GIF89a not really")));
    EXPECT_FALSE(picture.Draw());
}

}  // namespace
}  // namespace orvane
