// The command-update walk over a real popup menu: check marks from update handlers, items without
// handlers, submenus and handlers that shrink the menu while it is walked.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "framework_test_app.h"
#include "framework_test_ids.h"

namespace {

constexpr UINT kCommandOnly = 40010; // has a command handler and no update handler
constexpr UINT kNothing = 40011;     // has neither
constexpr UINT kSubFirst = 40020;    // first command of a submenu, with an update handler
constexpr UINT kDeletesSelf = 40030; // its update handler deletes its own item
constexpr UINT kDeletesTwo = 40031;  // its update handler deletes itself and the item before it

class UpdateTarget : public CWnd {
public:
    std::vector<UINT> updated;
    std::map<UINT, bool> checks{{ID_FW_FIRST, true}, {ID_FW_SECOND, false}, {ID_FW_THIRD, true}};
    bool sawSubMenu = false;
    CMenu* menu = nullptr;

    void OnUpdate(CCmdUI* ui) {
        updated.push_back(ui->m_nID);
        if (ui->m_nID == kSubFirst) {
            sawSubMenu = ui->m_pSubMenu != nullptr;
        } else if (ui->m_nID == kDeletesSelf) {
            (void)::DeleteMenu(menu->m_hMenu, kDeletesSelf, MF_BYCOMMAND);
            return;
        } else if (ui->m_nID == kDeletesTwo) {
            (void)::DeleteMenu(menu->m_hMenu, ui->m_nIndex, MF_BYPOSITION);
            (void)::DeleteMenu(menu->m_hMenu, ui->m_nIndex - 1, MF_BYPOSITION);
            return;
        }
        ui->SetCheck(checks[ui->m_nID] ? 1 : 0);
    }
    void OnCommandOnly() {}

    const fw::MessageMap* GetMessageMap() const override {
        using T = UpdateTarget;
        static const fw::MessageMapEntry entries[] = {
            fw::OnUpdateCommand<&T::OnUpdate>(ID_FW_FIRST),  fw::OnUpdateCommand<&T::OnUpdate>(ID_FW_SECOND),
            fw::OnUpdateCommand<&T::OnUpdate>(ID_FW_THIRD),  fw::OnUpdateCommand<&T::OnUpdate>(kSubFirst),
            fw::OnUpdateCommand<&T::OnUpdate>(kDeletesSelf), fw::OnUpdateCommand<&T::OnUpdate>(kDeletesTwo),
            fw::OnCommand<&T::OnCommandOnly>(kCommandOnly),
        };
        static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
        return &map;
    }
};

bool Checked(CMenu& menu, UINT command) {
    return (menu.GetMenuState(command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
bool Grayed(CMenu& menu, UINT position) {
    return (menu.GetMenuState(position, MF_BYPOSITION) & MF_GRAYED) != 0;
}

TEST(CommandUpdateTest, HandlersSetTheCheckMarksOfTheResourceMenu) {
    CMenu bar;
    ASSERT_TRUE(bar.LoadMenu(IDR_FW_TEST_MENU));
    CMenu popup = bar.GetSubMenu(0);
    ASSERT_NE(popup.m_hMenu, nullptr);
    (void)popup.CheckMenuItem(ID_FW_SECOND, MF_BYCOMMAND | MF_CHECKED);

    UpdateTarget target;
    fw::UpdatePopupCommands(target, popup, nullptr);
    EXPECT_EQ(target.updated, (std::vector<UINT>{ID_FW_FIRST, ID_FW_SECOND, ID_FW_THIRD})); // separator skipped
    EXPECT_TRUE(Checked(popup, ID_FW_FIRST));
    EXPECT_FALSE(Checked(popup, ID_FW_SECOND));
    EXPECT_TRUE(Checked(popup, ID_FW_THIRD));

    target.checks[ID_FW_FIRST] = false;
    target.updated.clear();
    fw::UpdatePopupCommands(target, popup, nullptr);
    EXPECT_FALSE(Checked(popup, ID_FW_FIRST));
}

TEST(CommandUpdateTest, PlainItemsWithoutHandlersStayAsTheyAre) {
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(popup.AppendMenu(MF_STRING, kNothing, "nothing"));
    ASSERT_TRUE(popup.AppendMenu(MF_STRING | MF_GRAYED, kCommandOnly, "command only"));
    UpdateTarget target;
    fw::UpdatePopupCommands(target, popup, nullptr);
    EXPECT_TRUE(target.updated.empty());
    EXPECT_FALSE(Grayed(popup, 0));
    EXPECT_TRUE(Grayed(popup, 1));
}

TEST(CommandUpdateTest, SubmenuItemStandsForItsFirstCommandAndIsNotChangedThroughIt) {
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    CMenu handled;
    ASSERT_TRUE(handled.CreatePopupMenu());
    ASSERT_TRUE(handled.AppendMenu(MF_STRING, kSubFirst, "sub first"));
    CMenu unhandled;
    ASSERT_TRUE(unhandled.CreatePopupMenu());
    ASSERT_TRUE(unhandled.AppendMenu(MF_STRING, kNothing, "nothing"));
    CMenu startsWithSeparator;
    ASSERT_TRUE(startsWithSeparator.CreatePopupMenu());
    ASSERT_TRUE(startsWithSeparator.AppendMenu(MF_SEPARATOR));
    ASSERT_TRUE(startsWithSeparator.AppendMenu(MF_STRING, kSubFirst, "later"));
    // The popup takes the submenus over; it destroys them with itself.
    ASSERT_TRUE(popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(handled.Detach()), "handled"));
    ASSERT_TRUE(popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(unhandled.Detach()), "unhandled"));
    ASSERT_TRUE(popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(startsWithSeparator.Detach()), "separator"));

    UpdateTarget target;
    fw::UpdatePopupCommands(target, popup, nullptr);
    EXPECT_EQ(target.updated, std::vector<UINT>{kSubFirst}); // the third submenu is skipped
    EXPECT_TRUE(target.sawSubMenu);
    EXPECT_EQ(popup.GetMenuState(0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);
    EXPECT_EQ(popup.GetMenuState(1, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);
}

TEST(CommandUpdateTest, ItemsRemovedByAHandlerDoNotMakeTheWalkSkipOrRepeat) {
    struct Case {
        const char* name;
        std::vector<UINT> items;
        std::vector<UINT> expectedUpdates;
        std::vector<UINT> remaining;
    };
    const Case cases[] = {
        {"deletes itself",
         {ID_FW_FIRST, kDeletesSelf, ID_FW_SECOND, ID_FW_THIRD},
         {ID_FW_FIRST, kDeletesSelf, ID_FW_SECOND, ID_FW_THIRD},
         {ID_FW_FIRST, ID_FW_SECOND, ID_FW_THIRD}},
        {"deletes itself and the one before",
         {ID_FW_FIRST, kDeletesTwo, ID_FW_SECOND},
         {ID_FW_FIRST, kDeletesTwo, ID_FW_SECOND},
         {ID_FW_SECOND}},
        {"last item deletes itself", {ID_FW_FIRST, kDeletesSelf}, {ID_FW_FIRST, kDeletesSelf}, {ID_FW_FIRST}},
    };
    for (const Case& c : cases) {
        CMenu popup;
        ASSERT_TRUE(popup.CreatePopupMenu());
        for (UINT id : c.items) {
            ASSERT_TRUE(popup.AppendMenu(MF_STRING, id, "item"));
        }
        UpdateTarget target;
        target.menu = &popup;
        fw::UpdatePopupCommands(target, popup, nullptr);
        EXPECT_EQ(target.updated, c.expectedUpdates) << c.name;
        std::vector<UINT> remaining;
        for (int i = 0; i < popup.GetMenuItemCount(); ++i) {
            remaining.push_back(popup.GetMenuItemID(i));
        }
        EXPECT_EQ(remaining, c.remaining) << c.name;
        for (UINT id : c.remaining) {
            EXPECT_EQ(Checked(popup, id), target.checks[id]) << c.name << " " << id;
        }
    }
}

TEST(CommandUpdateTest, DoUpdateWithDisableAsksForAHandler) {
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(popup.AppendMenu(MF_STRING, kNothing, "nothing"));
    ASSERT_TRUE(popup.AppendMenu(MF_STRING | MF_GRAYED, kCommandOnly, "command only"));
    UpdateTarget target;
    CCmdUI state;
    state.m_pMenu = &popup;
    state.m_nIndexMax = 2;
    state.m_nIndex = 0;
    state.m_nID = kNothing;
    EXPECT_FALSE(state.DoUpdate(&target, true));
    EXPECT_TRUE(Grayed(popup, 0));
    state.m_nIndex = 1;
    state.m_nID = kCommandOnly;
    EXPECT_FALSE(state.DoUpdate(&target, true));
    EXPECT_FALSE(Grayed(popup, 1));
}

} // namespace
