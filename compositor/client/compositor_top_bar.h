#pragma once

#include "compositor/client/compositor_client.h"
#include "core/signal.h"
#include "ports/top_bar.h"

namespace quorvel::compositor {

/// GNOME's top bar, slid away by Quorvel's extension while asked; the
/// extension brings it back by itself when Quorvel goes, and a restarted
/// shell is asked again.
class CompositorTopBar final : public ports::TopBar {
public:
    explicit CompositorTopBar(CompositorClient& client) : client_(client) {
        returned_ = client_.returned().connect([this] {
            if (hidden_) client_.setTopBarHidden(true);
        });
    }

    void setHidden(bool hidden) override {
        if (hidden == hidden_) return;
        hidden_ = hidden;
        client_.setTopBarHidden(hidden);
    }

private:
    CompositorClient& client_;
    bool hidden_ = false;
    core::Connection returned_;
};

}  // namespace quorvel::compositor
