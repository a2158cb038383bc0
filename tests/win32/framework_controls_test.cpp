// Ownership of menus and tooltips, and the tooltip and combo-box operations the widgets use.
#include <gtest/gtest.h>

#include <string>

#include "framework_test_app.h"
#include "framework_test_ids.h"

namespace {

TEST(MenuOwnershipTest, OwnedMenusGoWithTheirObjectBorrowedOnesStay) {
    HMENU loaded = nullptr;
    HMENU popup = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_FW_TEST_MENU));
        loaded = menu.m_hMenu;
        popup = menu.GetSubMenu(0).m_hMenu;
        {
            CMenu borrowed = CMenu::Borrow(loaded);
            EXPECT_EQ(borrowed.GetMenuItemCount(), 1);
        }
        EXPECT_TRUE(::IsMenu(loaded)) << "a borrowed view destroyed the menu";
        EXPECT_TRUE(::IsMenu(popup));
    }
    EXPECT_FALSE(::IsMenu(loaded));
    EXPECT_FALSE(::IsMenu(popup));

    CMenu kept;
    ASSERT_TRUE(kept.CreatePopupMenu());
    const HMENU detached = kept.Detach();
    EXPECT_EQ(kept.m_hMenu, nullptr);
    EXPECT_TRUE(::IsMenu(detached));
    CMenu adopter;
    ASSERT_TRUE(adopter.Attach(detached));
    CMenu moved = std::move(adopter);
    EXPECT_EQ(adopter.m_hMenu, nullptr);
    EXPECT_EQ(moved.m_hMenu, detached);
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0).c_str(), "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                   nullptr, nullptr));
    }
    CWnd owner;
};

TEST_F(ControlsTest, TooltipHoldsOneToolWithItsTextAndGoesWithItsObject) {
    HWND tipWindow = nullptr;
    {
        CToolTipCtrl tip;
        ASSERT_TRUE(tip.Create(&owner));
        tipWindow = tip.m_hWnd;
        EXPECT_EQ(::GetWindow(tipWindow, GW_OWNER), owner.m_hWnd);
        EXPECT_EQ(tip.GetToolCount(), 0);
        ASSERT_TRUE(tip.AddTool(&owner, "first", nullptr, 1));
        EXPECT_EQ(tip.GetToolCount(), 1);
        tip.UpdateTipText("Accelerate Quillfin", &owner, 1);

        char text[80] = {};
        TTTOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = owner.m_hWnd;
        info.uId = 1;
        info.lpszText = text;
        (void)tip.SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(text, "Accelerate Quillfin");
        EXPECT_EQ(tip.SetMaxTipWidth(400), -1); // the previous width: none set
        EXPECT_EQ(tip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    }
    EXPECT_FALSE(::IsWindow(tipWindow));
}

TEST_F(ControlsTest, ComboBoxAddsSelectsAndReadsItems) {
    CComboBox combo;
    ASSERT_TRUE(combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, owner.m_hWnd, nullptr));
    EXPECT_EQ(combo.AddString(" eth0 953 Mb"), 0);
    EXPECT_EQ(combo.AddString(" wlan0 53 Mb"), 1);
    EXPECT_EQ(combo.GetCount(), 2);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.SetCurSel(1), 1);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.SetCurSel(5), CB_ERR);
    EXPECT_EQ(combo.GetLBText(1), " wlan0 53 Mb");
    EXPECT_EQ(combo.GetLBText(7), "");
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ControlsTest, ButtonCheckState) {
    CButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "switch", WS_CHILD | BS_AUTOCHECKBOX | BS_PUSHLIKE, 0, 0, 50, 20,
                                owner.m_hWnd, nullptr));
    EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
    button.SetCheck(BST_CHECKED);
    EXPECT_EQ(button.GetCheck(), BST_CHECKED);
    button.SetWindowText("Status: stopped\nPress to start acceleration ");
    EXPECT_EQ(button.GetWindowText(), "Status: stopped\nPress to start acceleration ");
}

} // namespace
