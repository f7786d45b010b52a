#include "qt/update_dialog.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace quorvel::qt {
namespace {

const ports::UpdateInfo kUpdate{"1.3.0", "1.3", "https://example.test/notes/1.3",
                                "https://example.test/releases/1.3"};

TEST(UpdateDialog, DownloadOpensTheReleasePageAndLaterOpensNothing) {
    std::vector<QUrl> opened;
    UpdateDialog download(kUpdate, "1.2.0", [&](const QUrl& u) { opened.push_back(u); });
    download.downloadButton()->click();
    EXPECT_EQ(download.result(), QDialog::Accepted);
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.test/releases/1.3")});

    UpdateDialog later(kUpdate, "1.2.0", [&](const QUrl& u) { opened.push_back(u); });
    later.laterButton()->click();
    EXPECT_EQ(later.result(), QDialog::Rejected);
    EXPECT_EQ(opened.size(), 1u);
}

TEST(UpdateDialog, ReleaseNotesLinkOpensTheNotes) {
    std::vector<QUrl> opened;
    UpdateDialog dialog(kUpdate, "1.2.0", [&](const QUrl& u) { opened.push_back(u); });
    auto* notes = dialog.findChild<QLabel*>("releaseNotes");
    ASSERT_NE(notes, nullptr);
    notes->linkActivated("notes");  // as a click on the link does
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.test/notes/1.3")});
}

}  // namespace
}  // namespace quorvel::qt
