#include <QTest>

#include "../accelerator.h"
#include "../veil.h"

using quorvel::kwin::Clock;
using quorvel::kwin::Fade;
using quorvel::kwin::MaskStrip;

Q_DECLARE_METATYPE(std::vector<MaskStrip>)

class EffectCoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void accelerators_data() {
        QTest::addColumn<QString>("gtk");
        QTest::addColumn<QKeySequence>("expected");
        const auto seq = [](const char* keys) {
            return QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText);
        };
        QTest::newRow("Quorvel's default") << "<Control><Alt><Super>j" << seq("Ctrl+Alt+Meta+J");
        QTest::newRow("upper case letter") << "<Shift>J" << seq("Shift+J");
        QTest::newRow("modifier case and aliases") << "<ctrl><MOD1><Primary>7" << seq("Ctrl+Alt+7");
        QTest::newRow("function key alone") << "F5" << seq("F5");
        QTest::newRow("two-digit function key") << "<Super>F12" << seq("Meta+F12");
        QTest::newRow("named key") << "<Alt>space" << seq("Alt+Space");
        QTest::newRow("keysym alias") << "<Control>Next" << seq("Ctrl+PgDown");
        QTest::newRow("punctuation by name") << "<Control>bracketleft" << seq("Ctrl+[");
        QTest::newRow("empty") << "" << QKeySequence();
        QTest::newRow("modifiers only") << "<Control><Alt>" << QKeySequence();
        QTest::newRow("unknown modifier") << "<Hyper>j" << QKeySequence();
        QTest::newRow("unclosed modifier") << "<Control j" << QKeySequence();
        QTest::newRow("unknown key") << "<Control>NoSuchKey" << QKeySequence();
        QTest::newRow("two keys") << "<Control>jk" << QKeySequence();
        QTest::newRow("function key out of range") << "F36" << QKeySequence();
    }
    void accelerators() {
        QFETCH(QString, gtk);
        QFETCH(QKeySequence, expected);
        QCOMPARE(quorvel::kwin::parseGtkAccelerator(gtk).sequence(), expected);
    }

    void maskStrips_data() {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<int>("rows");
        QTest::addColumn<std::vector<MaskStrip>>("expected");
        QTest::newRow("all clear") << QByteArray(4, '\0') << 4 << std::vector<MaskStrip>{};
        QTest::newRow("one strip")
            << QByteArray(5, '\xff') << 5 << std::vector<MaskStrip>{{0, 5, 255}};
        QTest::newRow("steps and a gap")
            << QByteArray::fromHex("0a0a00000a8080") << 7
            << std::vector<MaskStrip>{{0, 2, 10}, {4, 1, 10}, {5, 2, 128}};
        QTest::newRow("short mask leaves the rest clear")
            << QByteArray::fromHex("ffff") << 6 << std::vector<MaskStrip>{{0, 2, 255}};
        QTest::newRow("long mask stops at the veil")
            << QByteArray(10, '\x40') << 3 << std::vector<MaskStrip>{{0, 3, 64}};
    }
    void maskStrips() {
        QFETCH(QByteArray, mask);
        QFETCH(int, rows);
        QFETCH(std::vector<MaskStrip>, expected);
        const std::vector<MaskStrip> strips = quorvel::kwin::maskStrips(mask, rows);
        QCOMPARE(strips.size(), expected.size());
        for (size_t i = 0; i < strips.size(); ++i) {
            QCOMPARE(strips[i].y, expected[i].y);
            QCOMPARE(strips[i].height, expected[i].height);
            QCOMPARE(strips[i].value, expected[i].value);
        }
    }

    void fade_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("running");
        // ease-out-quad: 1 - (1 - t)^2
        QTest::newRow("at once") << 0.0 << 0.8 << 0.0 << 0.0 << 0.8 << false;
        QTest::newRow("start") << 0.0 << 1.0 << 2.0 << 0.0 << 0.0 << true;
        QTest::newRow("halfway is past half") << 0.0 << 1.0 << 2.0 << 1.0 << 0.75 << true;
        QTest::newRow("fading out") << 1.0 << 0.0 << 1.0 << 0.5 << 0.25 << true;
        QTest::newRow("done") << 0.0 << 0.6 << 1.0 << 1.5 << 0.6 << false;
        QTest::newRow("clamped above one") << 0.0 << 3.0 << 0.0 << 0.0 << 1.0 << false;
    }
    void fade() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, seconds);
        QFETCH(double, elapsed);
        QFETCH(double, expected);
        QFETCH(bool, running);
        const Clock::time_point t0 = Clock::now();
        Fade f;
        f.start(from, 0.0, t0);
        f.start(to, seconds, t0);
        const auto at = t0 + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(elapsed));
        QVERIFY(std::abs(f.at(at) - expected) < 1e-9);
        QCOMPARE(f.running(at), running);
    }

    void fadeRestartsFromWhereItIs() {
        const Clock::time_point t0 = Clock::now();
        Fade f;
        f.start(1.0, 1.0, t0);
        const auto mid = t0 + std::chrono::milliseconds(500);
        const double there = f.at(mid);
        f.start(0.0, 1.0, mid);
        QVERIFY(std::abs(f.at(mid) - there) < 1e-9);
        QVERIFY(f.at(mid + std::chrono::milliseconds(500)) < there);
    }
};

QTEST_GUILESS_MAIN(EffectCoreTest)
#include "effect_core_test.moc"
