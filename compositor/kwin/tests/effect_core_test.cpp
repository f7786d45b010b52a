#include <QTest>

#include <cmath>
#include <tuple>
#include <vector>

#include "../accelerator.h"
#include "../argument_checks.h"
#include "../veil.h"

using quorvel::kwin::Clock;
using quorvel::kwin::Fade;
using quorvel::kwin::MaskStrip;
namespace checks = quorvel::kwin::checks;

namespace {
const QList<QRect> twoMonitors{{0, 0, 1280, 800}, {1280, 0, 1024, 768}};

QKeySequence keys(const char* text) {
    return QKeySequence(QString::fromLatin1(text), QKeySequence::PortableText);
}
}  // namespace

class EffectCoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void accelerators() {
        const struct {
            const char* gtk;
            QKeySequence expected;
            bool global;
        } cases[] = {
            {"<Control><Alt><Super>j", keys("Ctrl+Alt+Meta+J"), true},  // Quorvel's default
            {"<ctrl><MOD1><Primary>7", keys("Ctrl+Alt+7"), true},       // case and aliases
            {"F5", keys("F5"), true},
            {"<Control>Next", keys("Ctrl+PgDown"), true},    // a keysym's alias
            {"<Control>bracketleft", keys("Ctrl+["), true},  // punctuation by name
            {"<Control><Alt>", QKeySequence(), false},       // modifiers only
            {"<Control>NoSuchKey", QKeySequence(), false},
            {"<Control>jk", QKeySequence(), false},  // two keys
            {"F36", QKeySequence(), false},          // no such function key
            {"F25", keys("F25"), false},             // it exists, but is no F-key for the rule
            {"<Shift>F5", keys("Shift+F5"), true},
        };
        for (const auto& c : cases) {
            const auto parsed = quorvel::kwin::parseGtkAccelerator(QString::fromLatin1(c.gtk));
            QVERIFY2(parsed.sequence() == c.expected && parsed.mayBeGlobal() == c.global, c.gtk);
        }
    }

    void maskStrips() {
        using Strips = std::vector<std::tuple<int, int, int>>;  // y, height, value
        const struct {
            QByteArray mask;
            int rows;
            Strips expected;
        } cases[] = {
            {QByteArray(4, '\0'), 4, {}},  // all clear
            {QByteArray(5, '\xff'), 5, {{0, 5, 255}}},
            {QByteArray::fromHex("0a0a00000a8080"), 7, {{0, 2, 10}, {4, 1, 10}, {5, 2, 128}}},
            {QByteArray::fromHex("ffff"), 6, {{0, 2, 255}}},  // a short mask leaves the rest clear
            {QByteArray(10, '\x40'), 3, {{0, 3, 64}}},        // a long one stops at the veil
        };
        for (const auto& c : cases) {
            Strips strips;
            for (const MaskStrip& s : quorvel::kwin::maskStrips(c.mask, c.rows))
                strips.emplace_back(s.y, s.height, s.value);
            QVERIFY2(strips == c.expected, c.mask.toHex().constData());
        }
    }

    // ease-out-quad: 1 - (1 - t)^2
    void fade() {
        const struct {
            double from, to, seconds, elapsed, expected;
            bool running;
        } cases[] = {
            {0.0, 0.8, 0.0, 0.0, 0.8, false},  // at once
            {0.0, 1.0, 2.0, 0.0, 0.0, true},   // the start
            {0.0, 1.0, 2.0, 1.0, 0.75, true},  // halfway is past half
            {1.0, 0.0, 1.0, 0.5, 0.25, true},  // fading out
            {0.0, 0.6, 1.0, 1.5, 0.6, false},  // done
            {0.0, 3.0, 0.0, 0.0, 1.0, false},  // clamped above one
        };
        for (const auto& c : cases) {
            const Clock::time_point t0 = Clock::now();
            Fade f;
            f.start(c.from, 0.0, t0);
            f.start(c.to, c.seconds, t0);
            const auto at = t0 + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(c.elapsed));
            QVERIFY(std::abs(f.at(at) - c.expected) < 1e-9);
            QCOMPARE(f.running(at), c.running);
        }
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
    void frames() {
        const qint64 least = -2147483648ll, span = 4294967295ll;
        const struct {
            qint64 x, y, width, height;
            QRect expected;  // null: InvalidArgs
        } cases[] = {
            {0, 0, 1280, 800, QRect(0, 0, 1280, 800)},
            {-100, 10, 200, 50, QRect(0, 10, 100, 50)},         // hanging off the left
            {1000, 700, 500, 100, QRect(1000, 700, 500, 100)},  // the short one's bottom cut
            {1300, 780, 50, 100, QRect()},                      // below the short monitor only
            {least, least, span, span, QRect(0, 0, 2304, 800)},
        };
        for (const auto& c : cases) {
            const auto clipped = checks::clipFrame(c.x, c.y, c.width, c.height, twoMonitors);
            if (c.expected.isNull()) {
                QVERIFY(std::holds_alternative<checks::Invalid>(clipped));
            } else {
                QCOMPARE(std::get<QRect>(clipped), c.expected);
            }
        }
    }

    // SetVeilLook and FadeVeil at and just past their bounds, and the argument
    // the error names; hostile_test.py sends each kind of bad argument.
    void bounds() {
        const auto look = [](int w, int h, qint64 bytes, qint64 mask, double blur) {
            return checks::checkLook(w, h, bytes, mask, blur, 800);
        };
        const std::pair<std::optional<checks::Invalid>, QString> cases[] = {
            {look(1024, 800, 1024 * 800 * 4, 800, 64), ""},  // a look at its largest
            {look(1, 1, 4, 0, 0), ""},
            {look(1, 1, 4, 0, 64.5), "blur"},
            {checks::checkFade(1.0, 10.0), ""},
            {checks::checkFade(0.0, 0.0), ""},
            {checks::checkFade(1.01, 0), "opacity"},
            {checks::checkFade(1, 10.5), "seconds"},
        };
        for (const auto& [problem, named] : cases) {
            QCOMPARE(problem.has_value(), !named.isEmpty());
            if (problem)
                QVERIFY2(problem->message.startsWith(named + ":"), qPrintable(problem->message));
        }
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
