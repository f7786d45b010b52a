#include <QTest>

#include <cmath>

#include "../accelerator.h"
#include "../argument_checks.h"
#include "../veil.h"

using quorvel::kwin::Clock;
using quorvel::kwin::Fade;
using quorvel::kwin::MaskStrip;
namespace checks = quorvel::kwin::checks;

namespace {
const QList<QRect> twoMonitors{{0, 0, 1280, 800}, {1280, 0, 1024, 768}};
}  // namespace

Q_DECLARE_METATYPE(std::vector<MaskStrip>)
Q_DECLARE_METATYPE(std::optional<checks::Invalid>)

class EffectCoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void accelerators_data() {
        QTest::addColumn<QString>("gtk");
        QTest::addColumn<QKeySequence>("expected");
        QTest::addColumn<bool>("global");
        const auto seq = [](const char* keys) {
            return QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText);
        };
        QTest::newRow("Quorvel's default")
            << "<Control><Alt><Super>j" << seq("Ctrl+Alt+Meta+J") << true;
        QTest::newRow("modifier case and aliases")
            << "<ctrl><MOD1><Primary>7" << seq("Ctrl+Alt+7") << true;
        QTest::newRow("function key alone") << "F5" << seq("F5") << true;
        QTest::newRow("keysym alias") << "<Control>Next" << seq("Ctrl+PgDown") << true;
        QTest::newRow("punctuation by name") << "<Control>bracketleft" << seq("Ctrl+[") << true;
        QTest::newRow("modifiers only") << "<Control><Alt>" << QKeySequence() << false;
        QTest::newRow("unknown key") << "<Control>NoSuchKey" << QKeySequence() << false;
        QTest::newRow("two keys") << "<Control>jk" << QKeySequence() << false;
        QTest::newRow("function key out of range") << "F36" << QKeySequence() << false;
        QTest::newRow("F25 exists but is no F-key for the rule") << "F25" << seq("F25") << false;
        QTest::newRow("shifted F-key") << "<Shift>F5" << seq("Shift+F5") << true;
    }
    void accelerators() {
        QFETCH(QString, gtk);
        QFETCH(QKeySequence, expected);
        QFETCH(bool, global);
        const quorvel::kwin::Accelerator parsed = quorvel::kwin::parseGtkAccelerator(gtk);
        QCOMPARE(parsed.sequence(), expected);
        QCOMPARE(parsed.mayBeGlobal(), global);
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

    // A frame is clipped to the monitors it covers, however large the caller's
    // numbers (frames without area or off the monitors: hostile_test.py).
    void frames_data() {
        QTest::addColumn<qint64>("x");
        QTest::addColumn<qint64>("y");
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<QRect>("expected");  // null: InvalidArgs
        QTest::newRow("one monitor") << 0ll << 0ll << 1280ll << 800ll << QRect(0, 0, 1280, 800);
        QTest::newRow("hanging off the left")
            << -100ll << 10ll << 200ll << 50ll << QRect(0, 10, 100, 50);
        QTest::newRow("both monitors, the short one's bottom cut")
            << 1000ll << 700ll << 500ll << 100ll << QRect(1000, 700, 500, 100);
        QTest::newRow("below the short monitor only")
            << 1300ll << 780ll << 50ll << 100ll << QRect();
        QTest::newRow("from the smallest int across all")
            << -2147483648ll << -2147483648ll << 4294967295ll << 4294967295ll
            << QRect(0, 0, 2304, 800);
    }
    void frames() {
        QFETCH(qint64, x);
        QFETCH(qint64, y);
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        QFETCH(QRect, expected);
        const auto clipped = checks::clipFrame(x, y, width, height, twoMonitors);
        if (expected.isNull()) {
            QVERIFY(std::holds_alternative<checks::Invalid>(clipped));
        } else {
            QCOMPARE(std::get<QRect>(clipped), expected);
        }
    }

    // SetVeilLook and FadeVeil at and just past their bounds, and the argument
    // the error names; hostile_test.py sends each kind of bad argument.
    void bounds_data() {
        QTest::addColumn<std::optional<checks::Invalid>>("problem");
        QTest::addColumn<QString>("named");  // empty: accepted
        const auto look = [](int w, int h, qint64 bytes, qint64 mask, double blur) {
            return checks::checkLook(w, h, bytes, mask, blur, 800);
        };
        QTest::newRow("look at its largest") << look(1024, 800, 1024 * 800 * 4, 800, 64) << "";
        QTest::newRow("look one pixel") << look(1, 1, 4, 0, 0) << "";
        QTest::newRow("blur past 64") << look(1, 1, 4, 0, 64.5) << "blur";
        QTest::newRow("fade at its bounds") << checks::checkFade(1.0, 10.0) << "";
        QTest::newRow("fade at once") << checks::checkFade(0.0, 0.0) << "";
        QTest::newRow("opacity over 1") << checks::checkFade(1.01, 0) << "opacity";
        QTest::newRow("seconds past 10") << checks::checkFade(1, 10.5) << "seconds";
    }
    void bounds() {
        QFETCH(std::optional<checks::Invalid>, problem);
        QFETCH(QString, named);
        QCOMPARE(problem.has_value(), !named.isEmpty());
        if (problem)
            QVERIFY2(problem->message.startsWith(named + ":"), qPrintable(problem->message));
    }

    // Veils count per monitor and per owner; an owner's veils go with it.
    void veilStore() {
        quorvel::kwin::VeilStore store;
        const QRect left = twoMonitors[0], right = twoMonitors[1];
        const quint32 a = store.create(":1.5", left).id;
        store.create(":1.5", QRect(1200, 0, 200, 100));  // on both
        store.create(":1.9", right);
        QCOMPARE(store.countOn(":1.5", left), 2);
        QCOMPARE(store.countOn(":1.5", right), 1);
        QCOMPARE(store.countOn(":1.5", left, a), 1);
        QVERIFY(store.find(a, ":1.5"));
        QVERIFY(!store.find(a, ":1.9"));
        store.find(a, ":1.5")->below = 7;
        store.retarget(7, 9);
        QCOMPARE(store.find(a, ":1.5")->below, quint64(9));
        QVERIFY(store.dropOwner(":1.5"));
        QVERIFY(!store.dropOwner(":1.5"));
        QCOMPARE(int(store.all().size()), 1);
    }
};

QTEST_GUILESS_MAIN(EffectCoreTest)
#include "effect_core_test.moc"
