// The tray icon's flag transitions, driven by a shell whose answers each test scripts.
#include "widgets/tray_state.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

using widgets::TrayShellOp;
using widgets::TrayState;

struct Call {
    TrayShellOp op;
    unsigned flags;
    friend bool operator==(const Call&, const Call&) = default;
};

// Answers from a queue, then `fallback`; keeps every call.
class ScriptedShell : public widgets::TrayShell {
public:
    bool Notify(TrayShellOp op, unsigned flags) override {
        calls.push_back({op, flags});
        if (answers.empty()) {
            return fallback;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<bool> answers;
    bool fallback = true;
    std::vector<Call> calls;
};

struct Flags {
    bool hidden, removed, pending;
    friend bool operator==(const Flags&, const Flags&) = default;
};

Flags FlagsOf(const TrayState& state) {
    return {state.hidden(), state.removed(), state.addPending()};
}

TrayState Shown(ScriptedShell& shell) {
    TrayState state;
    state.Enable(5);
    EXPECT_TRUE(state.FinishInstall(false, shell));
    shell.calls.clear();
    return state;
}

TEST(TrayState, ConstructedIsDisabledHiddenAndRemoved) {
    const TrayState state;
    EXPECT_FALSE(state.enabled());
    EXPECT_EQ(FlagsOf(state), (Flags{true, true, false}));
}

TEST(TrayState, InstallOutcomes) {
    struct Row {
        bool startHidden;
        bool addAnswer;
        bool result;
        Flags after;
        size_t calls;
    };
    const Row rows[] = {
        {false, true, true, {false, false, false}, 1},
        {false, false, false, {true, true, true}, 1},
        {true, true, true, {true, true, false}, 0},
    };
    for (const Row& row : rows) {
        ScriptedShell shell;
        shell.fallback = row.addAnswer;
        TrayState state;
        ASSERT_TRUE(state.Enable(4));
        EXPECT_EQ(state.FinishInstall(row.startHidden, shell), row.result);
        EXPECT_EQ(FlagsOf(state), row.after);
        EXPECT_EQ(state.creationFlags(), 7u);
        ASSERT_EQ(shell.calls.size(), row.calls);
        if (row.calls) {
            EXPECT_EQ(shell.calls[0], (Call{TrayShellOp::Add, 7}));
        }
    }
}

TEST(TrayState, SystemBelowVersionFourNeverReachesTheShell) {
    ScriptedShell shell;
    TrayState state;
    EXPECT_FALSE(state.Enable(3));
    EXPECT_FALSE(state.CanChange());
    EXPECT_FALSE(state.AddToTray(shell));
    EXPECT_FALSE(state.ShowInTray(shell));
    EXPECT_TRUE(state.RemoveFromTray(shell));
    EXPECT_TRUE(state.HideFromTray(shell));
    EXPECT_FALSE(state.ReAddAtEnd(shell));
    EXPECT_FALSE(state.CommitChange(widgets::kTrayFlagIcon, shell));
    state.OnTaskbarCreated(shell);
    state.OnWorkAreaChanged(shell);
    EXPECT_TRUE(shell.calls.empty());
}

TEST(TrayState, HideDeletesAndShowAddsAgain) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    EXPECT_TRUE(state.HideFromTray(shell));
    EXPECT_EQ(FlagsOf(state), (Flags{true, true, false}));
    EXPECT_TRUE(state.HideFromTray(shell)); // already hidden: nothing more
    EXPECT_TRUE(state.ShowInTray(shell));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));
    EXPECT_TRUE(state.ShowInTray(shell)); // already shown: nothing more
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Delete, 0}, {TrayShellOp::Add, 7}}));
}

TEST(TrayState, FailedDeleteLeavesTheFlags) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    shell.fallback = false;
    EXPECT_FALSE(state.RemoveFromTray(shell));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));
    EXPECT_FALSE(state.HideFromTray(shell));
}

TEST(TrayState, AddToTrayRemovesFirstAndARefusalOnlySetsPending) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    shell.answers = {true, false}; // delete accepted, add refused
    EXPECT_FALSE(state.AddToTray(shell));
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Delete, 0}, {TrayShellOp::Add, 7}}));
    EXPECT_EQ(FlagsOf(state), (Flags{true, true, true}));
}

TEST(TrayState, ReAddAtEndDeletesThenAdds) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    EXPECT_TRUE(state.ReAddAtEnd(shell));
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Delete, 0}, {TrayShellOp::Add, 7}}));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));
}

TEST(TrayState, ChangesAreStoredOnlyWhileHidden) {
    ScriptedShell shell;
    TrayState state;
    state.Enable(4);
    ASSERT_TRUE(state.FinishInstall(true, shell));
    EXPECT_TRUE(state.CommitChange(widgets::kTrayFlagTip, shell));
    EXPECT_TRUE(shell.calls.empty());
    ASSERT_TRUE(state.ShowInTray(shell));
    shell.calls.clear();
    shell.fallback = false;
    EXPECT_FALSE(state.CommitChange(widgets::kTrayFlagTip, shell));
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Modify, widgets::kTrayFlagTip}}));
}

TEST(TrayState, ShellRestartAddsTheIconAgainUnlessHidden) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    state.OnTaskbarCreated(shell);
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Add, 7}}));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));

    shell.calls.clear();
    ASSERT_TRUE(state.HideFromTray(shell));
    shell.calls.clear();
    state.OnTaskbarCreated(shell);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(FlagsOf(state), (Flags{true, true, true}));
}

TEST(TrayState, WorkAreaChangeReAddsOnlyAShownIcon) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    state.OnWorkAreaChanged(shell);
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Add, 7}}));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));

    ASSERT_TRUE(state.HideFromTray(shell));
    shell.calls.clear();
    state.OnWorkAreaChanged(shell);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(FlagsOf(state), (Flags{true, true, false}));
}

TEST(TrayState, ReAddRefusedForAnIconTheShellStillShowsKeepsItShown) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    shell.answers = {false, true}; // duplicate add refused, the icon is still known to the shell
    state.OnWorkAreaChanged(shell);
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Add, 7}, {TrayShellOp::Modify, 0}}));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));
    EXPECT_TRUE(state.CommitChange(widgets::kTrayFlagIcon, shell));
    EXPECT_EQ(shell.calls.back(), (Call{TrayShellOp::Modify, widgets::kTrayFlagIcon}));
}

TEST(TrayState, RefusedReAddAfterWorkAreaChangeCountsAsHiddenAndAShellRestartDoesNotBringItBack) {
    ScriptedShell shell;
    TrayState state = Shown(shell);
    shell.fallback = false; // the shell has lost the icon and refuses it
    state.OnWorkAreaChanged(shell);
    EXPECT_EQ(FlagsOf(state), (Flags{true, false, true}));

    shell.calls.clear();
    shell.fallback = true;
    state.OnTaskbarCreated(shell);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(FlagsOf(state), (Flags{true, false, true}));
    EXPECT_TRUE(state.CommitChange(widgets::kTrayFlagIcon, shell)); // stored only
    EXPECT_TRUE(shell.calls.empty());

    // ShowInTray brings it back: not removed but hidden, so it adds after deleting the stale entry.
    EXPECT_TRUE(state.ShowInTray(shell));
    EXPECT_EQ(FlagsOf(state), (Flags{false, false, false}));
}

TEST(TrayState, RefusedInstallComesBackOnlyThroughShowInTray) {
    ScriptedShell shell;
    shell.fallback = false;
    TrayState state;
    state.Enable(6);
    ASSERT_FALSE(state.FinishInstall(false, shell));
    shell.fallback = true;
    shell.calls.clear();
    state.OnTaskbarCreated(shell);
    state.OnWorkAreaChanged(shell);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(state.ShowInTray(shell));
    EXPECT_EQ(shell.calls, (std::vector<Call>{{TrayShellOp::Add, 7}}));
}

} // namespace
