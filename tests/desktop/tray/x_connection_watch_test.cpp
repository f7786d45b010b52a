#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QEventLoop>
#include <QTimer>
#include <cstdint>
#include <cstdlib>

#include "program/x_connection_watch.h"
#include "x11/connection.h"

namespace quorvel {
namespace {

// Another client changes a root property; Quorvel then waits for a reply,
// and XCB takes the notification off the socket along with it. Nothing more
// comes, so the socket never turns readable again: the notification must
// still reach Quorvel's handlers (it was the last window switch, stuck until
// the next X event, one time in a few thousand).
TEST(XConnectionWatch, AnEventReadWhileAReplyWasAwaitedIsHandled) {
    x11::Connection ours;
    x11::Connection other;
    ASSERT_TRUE(ours.isOpen() && other.isOpen());
    program::XConnectionWatch watch(ours, "the test's", nullptr);
    const xcb_atom_t atom = ours.intern("QUORVEL_TEST_PROPERTY");
    int heard = 0;
    ours.addEventHandler([&](const xcb_generic_event_t& event) {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && e.atom == atom) ++heard;
    });
    ours.sync();

    const std::uint32_t value = 1;
    xcb_change_property(other.raw(), XCB_PROP_MODE_REPLACE, other.root(), atom, XCB_ATOM_CARDINAL,
                        32, 1, &value);
    other.sync();
    std::free(xcb_get_input_focus_reply(ours.raw(), xcb_get_input_focus(ours.raw()), nullptr));
    // The program's own loop: one that sleeps until something happens.
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &loop, [&] {
        if (heard) loop.quit();
    });
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (heard) loop.quit();
    });
    look.start(10);
    loop.exec();
    EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace quorvel
