#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/CTransAlphaDlg.h"
#include "app/CTransBlindsDlg.h"
#include "app/CTransCircleDlg.h"
#include "app/CTransClockDlg.h"
#include "app/CTransPolygonDlg.h"
#include "app/CTransSweepDlg.h"
#include "app/CTransWipeDlg.h"
#include "app/TransitionDialogs.h"
#include "model/EffectNames.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSettingCatalog.h"
#include "platform/win/Random.h"
#include "platform/win/ScriptedUiHandler.h"

namespace {

const char* const kTitles[TRANSITION_DRAWN_KINDS] = {
    "Transition Alpha Setting",          "Transition Accordion Setting",
    "Transition Blinds Setting",         "Transition Circle Setting",
    "Transition Clock Setting",          "Transition Cube Fly Setting",
    "Transition Diagonal Sweep Setting", "Transition Door Setting",
    "Transition Flip Setting",           "Transition Fly Setting",
    "Transition Polygon Setting",        "Transition Rotate Setting",
    "Transition Shutter Setting",        "Transition Spin Setting",
    "Transition Sweep Setting",          "Transition Twist Setting",
    "Transition Wipe Setting",           "Transition Zoom Setting",
};

class TransitionDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTransitionDialogs();
        m_ui = std::make_shared<ScriptedUiHandler>();
        m_previous = UiHandler::Install(m_ui);
    }
    void TearDown() override { UiHandler::Install(m_previous); }

    std::shared_ptr<ScriptedUiHandler> m_ui;
    std::shared_ptr<UiHandler> m_previous;
};

} // namespace

TEST_F(TransitionDialogs, EveryKindOpensItsDialogAndOkWithUntouchedControlsKeepsItsParameters) {
    SRand(4);
    for (int32_t kind = 0; kind < TRANSITION_DRAWN_KINDS; ++kind) {
        for (int round = 0; round < 10; ++round) {
            auto setting = MakeTransition(kind, true);
            const int32_t param1 = setting->m_nParam1, param2 = setting->m_nParam2;
            m_ui->QueueDialog([](CDialog&) { return static_cast<INT_PTR>(IDOK); });
            setting->Edit();
            EXPECT_EQ(m_ui->DialogTitles().back(), kTitles[kind]);
            EXPECT_EQ(setting->m_nParam1, param1) << kind;
            EXPECT_EQ(setting->m_nParam2, param2) << kind;
        }
    }
    EXPECT_EQ(m_ui->DialogTitles().size(), static_cast<size_t>(TRANSITION_DRAWN_KINDS * 10));
    // Random has no dialog.
    MakeTransition(TRANSITION_RANDOM, false)->Edit();
    EXPECT_EQ(m_ui->DialogTitles().size(), static_cast<size_t>(TRANSITION_DRAWN_KINDS * 10));
}

TEST_F(TransitionDialogs, CancelLeavesTheObjectAsItWas) {
    TransitionBlindSetting blinds(false);
    blinds.SetParams(1, 5);
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransBlindsDlg&>(dialog);
        dlg.m_Direction.SetCheck(0);
        dlg.m_WindowNumber.SetCurSel(6);
        return static_cast<INT_PTR>(IDCANCEL);
    });
    blinds.Edit();
    EXPECT_EQ(blinds.m_nParam1, 1);
    EXPECT_EQ(blinds.m_nParam2, 5);
}

TEST_F(TransitionDialogs, OpensWithTheCurrentParametersAndOkStoresTheControls) {
    TransitionBlindSetting blinds(false);
    blinds.SetParams(1, 5);
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransBlindsDlg&>(dialog);
        EXPECT_EQ(dlg.GetTemplateId(), 255u);
        EXPECT_EQ(dlg.m_Direction.GetCheck(), 1);
        EXPECT_EQ(dlg.m_Direction.GetLabel(1), "Right to left");
        EXPECT_EQ(dlg.m_WindowNumber.GetItemText(dlg.m_WindowNumber.GetCurSel()), "5");
        dlg.m_Direction.SetCheck(0);
        dlg.m_WindowNumber.SetCurSel(6);
        return static_cast<INT_PTR>(IDOK);
    });
    blinds.Edit();
    EXPECT_EQ(blinds.m_nParam1, 0);
    EXPECT_EQ(blinds.m_nParam2, 10);

    // Width lists show 1..80 at index width - 1; polygon numbers 3..9 at index number - 3.
    TransitionCircleSetting circle(false);
    TransitionPolygonSetting polygon(false);
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransCircleDlg&>(dialog);
        EXPECT_EQ(dlg.m_Width.GetCurSel(), 39);
        EXPECT_EQ(dlg.m_Width.GetCount(), 80);
        dlg.m_Width.SetCurSel(0);
        dlg.m_Direction.SetCheck(1);
        return static_cast<INT_PTR>(IDOK);
    });
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransPolygonDlg&>(dialog);
        EXPECT_EQ(dlg.m_Number.GetCurSel(), 4);
        dlg.m_Number.SetCurSel(0);
        dlg.m_Direction.SetCheck(1);
        return static_cast<INT_PTR>(IDOK);
    });
    circle.Edit();
    polygon.Edit();
    EXPECT_EQ(circle.m_nParam1, 1);
    EXPECT_EQ(circle.m_nParam2, 1);
    EXPECT_EQ(polygon.m_nParam1, 3);
    EXPECT_EQ(polygon.m_nParam2, 1);
}

TEST_F(TransitionDialogs, FlagButtonsYesAndNoStandForOneAndZero) {
    TransitionClockSetting clock(false);
    TransitionWipeSetting wipe(false);
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransClockDlg&>(dialog);
        EXPECT_EQ(dlg.m_FingerNumber.GetCheck(), 2); // "4 Fingers"
        EXPECT_EQ(dlg.m_Smooth.GetCheck(), 0);       // "Yes"
        dlg.m_Smooth.SetCheck(1);
        return static_cast<INT_PTR>(IDOK);
    });
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransWipeDlg&>(dialog);
        EXPECT_EQ(dlg.m_Push.GetLabel(dlg.m_Push.GetCheck()), "Yes");
        dlg.m_Push.SetCheck(1);
        dlg.m_Direction.SetCheck(3);
        return static_cast<INT_PTR>(IDOK);
    });
    clock.Edit();
    wipe.Edit();
    EXPECT_EQ(clock.m_nParam1, 2);
    EXPECT_EQ(clock.m_nParam2, 0);
    EXPECT_EQ(wipe.m_nParam1, 3);
    EXPECT_EQ(wipe.m_nParam2, 0);
}

TEST_F(TransitionDialogs, DefaultAndRandomButtonsFillTheControls) {
    TransitionSweepSetting sweep(false);
    sweep.SetParams(3, 77);
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransSweepDlg&>(dialog);
        dlg.OnDefault();
        EXPECT_EQ(dlg.m_Direction.GetCheck(), 0);
        EXPECT_EQ(dlg.m_Width.GetCurSel(), 39);
        return static_cast<INT_PTR>(IDOK);
    });
    sweep.Edit();
    EXPECT_EQ(sweep.m_nParam1, 0);
    EXPECT_EQ(sweep.m_nParam2, 40);

    SRand(8);
    const int first = Rand(), second = Rand();
    SRand(8);
    m_ui->QueueDialog([](CDialog& dialog) {
        dynamic_cast<CTransSweepDlg&>(dialog).OnRandom();
        return static_cast<INT_PTR>(IDOK);
    });
    sweep.Edit();
    EXPECT_EQ(sweep.m_nParam1, std::min(first / 1638 / 5, 3));
    EXPECT_EQ(sweep.m_nParam2, std::max(second / 81 / 5, 1));
}

TEST_F(TransitionDialogs, ValuesNoControlShowsSurviveOk) {
    // A file may hold any value; a control that cannot show it keeps it on OK.
    TransitionAlphaSetting alpha(false);
    alpha.SetParams(999);
    TransitionBlindSetting blinds(false);
    blinds.SetParams(7, 999);
    m_ui->QueueDialog([](CDialog& dialog) {
        EXPECT_EQ(dynamic_cast<CTransAlphaDlg&>(dialog).m_Type.GetCheck(), -1);
        return static_cast<INT_PTR>(IDOK);
    });
    m_ui->QueueDialog([](CDialog& dialog) {
        auto& dlg = dynamic_cast<CTransBlindsDlg&>(dialog);
        EXPECT_EQ(dlg.m_WindowNumber.GetCurSel(), -1);
        dlg.m_Direction.SetCheck(1);
        return static_cast<INT_PTR>(IDOK);
    });
    alpha.Edit();
    blinds.Edit();
    EXPECT_EQ(alpha.m_nParam1, 999);
    EXPECT_EQ(blinds.m_nParam1, 1);
    EXPECT_EQ(blinds.m_nParam2, 999);
}

TEST_F(TransitionDialogs, CatalogueEditsItsPrototypeInPlace) {
    TransitionSettingCatalog catalog;
    m_ui->QueueDialog([](CDialog& dialog) {
        dynamic_cast<CTransAlphaDlg&>(dialog).m_Type.SetCheck(2);
        return static_cast<INT_PTR>(IDOK);
    });
    catalog.EditAt(1);
    catalog.EditAt(19);
    EXPECT_EQ(catalog.GetAt(1)->m_nParam1, 2);
    EXPECT_EQ(m_ui->DialogTitles().size(), 1u);
}
