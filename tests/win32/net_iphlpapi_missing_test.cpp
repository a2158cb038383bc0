// The main dialog where the IP Helper library cannot be loaded: it says so and ends with result 1. A
// program of its own, because the library is looked up once per process.
#include "net/if_table_api.h"
#include "dialog_runner.h"

namespace {

class MissingIpHelper : public testsupport::DialogTest {};

TEST_F(MissingIpHelper, TellsTheUserAndEndsTheDialogWithResultOne) {
    net::SetIfTableLibraryName("brisklane-no-such-iphlpapi.dll");
    CHollowmereDlg dialog;
    bool loopRan = false;
    const INT_PTR result = testsupport::RunModal(dialog, [&] { loopRan = true; });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(loopRan) << "the dialog entered its message loop";
    ASSERT_FALSE(boxes_.Boxes().empty());
    EXPECT_EQ(boxes_.Boxes().front().text, "Error loading Iphlpapi.dll");
    EXPECT_EQ(boxes_.Boxes().front().caption, AfxGetAppName());
    EXPECT_EQ(boxes_.Boxes().front().style, static_cast<unsigned>(MB_OK | MB_ICONEXCLAMATION));
    // The interface list stays empty and nothing reads a table.
    EXPECT_EQ(dialog.m_pIfTable, nullptr);
}

} // namespace
