#include "windows/remote/action_button_pad_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/jukebox/global_prefs.h"
#include "remote/action_button_pad.h"
#include "remote/controller_commands.h"
#include "skin/component_owner.h"
#include "skin/control_timer.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "windows/remote/editor_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {

constexpr int kTickMs = 1000;

// The skin the pad's buttons wear: the preferences' template button, else the dialogs'
// template key; nullptr keeps the buttons' own look.
const TmySkinButton* PadTemplate() {
    if (const TmySkinButton* button = GlobalPrefs().SkinButton(); button && !button->SkinBitmap().isNull())
        return button;
    return SkinTemplateButton();
}

}  // namespace

TfrmActionButtonPad::TfrmActionButtonPad(QWidget* parent)
    : TfrmBaseSkinForm(parent), Ftimer(MakeControlTimer()) {
    setObjectName("frmActionButtonPad");
    setWindowTitle("Actions");
    SetSizeable(true);
    resize(500, 300);
    pnlButtons = CreateComponent<QWidget>(this, Panel());
    pnlButtons->setObjectName("pnlButtons");
    pnlControlButtons = CreateComponent<QWidget>(this, Panel());
    pnlControlButtons->setObjectName("pnlControlButtons");
    sbEdit = MakeDialogButton(this, pnlControlButtons, "sbEdit", "Edit", 10);
    sbClose = MakeDialogButton(this, pnlControlButtons, "sbClose", "Close", 10);
    sbEdit->OnClick = [this](TObject*) {
        if (!Fpad) return;
        Ftimer->Stop();
        EditActionList(*Fpad);
        RebuildButtons();
        Fpad->ResetIdle();
        if (isVisible()) Ftimer->Start(kTickMs);
    };
    sbClose->OnClick = [this](TObject*) { done(mrOk); };
    Ftimer->OnTimer = [this] { TimerTick(); };
    sbEdit->SetupFinished();
    sbClose->SetupFinished();
}

TfrmActionButtonPad::~TfrmActionButtonPad() {
    Ftimer->Stop();
    if (Fpad) Fpad->OnDestroy = nullptr;
}

int TfrmActionButtonPad::ButtonHeight() const {
    return std::max(GlobalPrefs().KeySize(), 1);
}

void TfrmActionButtonPad::DressButton(TmySkinButton& button) const {
    const TmySkinButton* templateButton = PadTemplate();
    if (!templateButton) return;
    button.BeginUpdate();
    button.SetSkinBitmap(templateButton->SkinBitmap());
    button.AssignSkin(*templateButton, false);
    button.SetFontColor(FormSkinColors().CaptionFontColor);
    button.EndUpdate();
}

void TfrmActionButtonPad::SetActionList(TactionButtonPad* pad) {
    if (Fpad) Fpad->OnDestroy = nullptr;
    Fpad = pad;
    // A pad freed while shown (its owner closing) takes its buttons with it.
    if (Fpad)
        Fpad->OnDestroy = [this](TObject*) {
            Fpad = nullptr;
            hide();
            RebuildButtons();
        };
    if (Fpad && Fpad->Width > 0 && Fpad->Height > 0) resize(Fpad->Width, Fpad->Height);
    RebuildButtons();
}

void TfrmActionButtonPad::RebuildButtons() {
    for (TmySkinButton* button : Fbuttons) {
        RemoveComponent(this, button);
        delete button;
    }
    Fbuttons.clear();
    if (Fpad) {
        for (int i = 0; i < Fpad->Count(); ++i) {
            const std::string name = Fpad->Names(i);
            TmySkinButton* button = MakeDialogButton(this, pnlButtons, "btnAction", name.c_str(), 10);
            button->setObjectName(Q("btnAction" + std::to_string(i)));
            DressButton(*button);
            button->resize(2 * ButtonHeight(), ButtonHeight());
            button->OnClick = [this, i](TObject*) { PressButton(i); };
            button->SetupFinished();
            button->show();
            Fbuttons.push_back(button);
        }
    }
    RefreshButtonStates();
    LayOutButtons();
}

void TfrmActionButtonPad::RefreshButtonStates() {
    for (size_t i = 0; i < Fbuttons.size(); ++i) {
        const bool found = Fpad && Fpad->Resolve(int(i)) != nullptr;
        if (Fbuttons[i]->isEnabled() == found) continue;
        Fbuttons[i]->setEnabled(found);
        // The skinned face has no disabled look of its own: the caption greys out.
        Fbuttons[i]->SetFontColor(found ? FormSkinColors().CaptionFontColor : clGray);
    }
}

void TfrmActionButtonPad::LayOutButtons() {
    const int keySize = ButtonHeight();
    pnlControlButtons->setGeometry(0, height() - keySize, width(), keySize);
    pnlButtons->setGeometry(0, 0, width(), std::max(0, height() - keySize));
    for (TmySkinButton* button : {sbEdit, sbClose}) button->resize(2 * keySize, keySize);
    sbEdit->move(0, 0);
    sbClose->move(sbEdit->width(), 0);
    const int buttonWidth = 2 * keySize;
    const std::vector<TpadCell> cells = LayOutPadButtons(int(Fbuttons.size()), width(), buttonWidth, keySize);
    for (size_t i = 0; i < Fbuttons.size(); ++i) {
        TmySkinButton* button = Fbuttons[i];
        if (i >= cells.size()) {
            button->hide();
            continue;
        }
        if (button->size() != QSize(buttonWidth, keySize)) button->resize(buttonWidth, keySize);
        button->move(cells[i].Left, cells[i].Top);
        button->show();
    }
}

void TfrmActionButtonPad::PressButton(int index) {
    if (!Fpad) return;
    Ftimer->Stop();
    // Looked up now: the action may have been freed and rebuilt since the pad was drawn.
    Fpad->Run(index);
    RefreshButtonStates();
    if (isVisible()) Ftimer->Start(kTickMs);
}

void TfrmActionButtonPad::ShowPad() {
    if (Fpad) Fpad->ResetIdle();
    show();
    raise();
}

void TfrmActionButtonPad::TimerTick() {
    if (!Fpad) return;
    RefreshButtonStates();
    if (Fpad->Tick()) hide();
}

void TfrmActionButtonPad::showEvent(QShowEvent* e) {
    TfrmBaseSkinForm::showEvent(e);
    if (Fpad) Fpad->ResetIdle();
    for (TmySkinButton* button : {sbEdit, sbClose}) DressButton(*button);
    RefreshButtonStates();
    LayOutButtons();
    Ftimer->Start(kTickMs);
}

void TfrmActionButtonPad::hideEvent(QHideEvent* e) {
    Ftimer->Stop();
    if (Fpad) Fpad->ResetIdle();
    TfrmBaseSkinForm::hideEvent(e);
}

void TfrmActionButtonPad::resizeEvent(QResizeEvent* e) {
    TfrmBaseSkinForm::resizeEvent(e);
    if (Fpad) {
        Fpad->Width = width();
        Fpad->Height = height();
    }
    LayOutButtons();
    if (isWindow())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move((screen->size().width() - width()) / 2, (screen->size().height() - height()) / 2);
}

TfrmActionButtonPad& ActionButtonPad() {
    static QPointer<TfrmActionButtonPad> window;
    if (!window) {
        window = new TfrmActionButtonPad();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window.data(); });
    }
    return *window;
}

void ShowActionButtonPad(TactionButtonPad& pad) {
    TfrmActionButtonPad& window = ActionButtonPad();
    if (window.ActionList() != &pad)
        window.SetActionList(&pad);
    else
        window.RebuildButtons();
    window.ShowPad();
}

bool EditActionList(TactionButtonPad& pad) {
    TeditorForm form("frmEditActionList", "Edit Action List");
    auto* middle = new QHBoxLayout();
    auto* ListBox1 = new QListWidget(&form);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setStyleSheet("QListView::item { min-height: 47px; }");
    ListBox1->setMinimumSize(360, 300);
    middle->addWidget(ListBox1, 1);
    auto* side = new QVBoxLayout();
    QPushButton* btnAdd = form.AddButton(side, "btnAdd", "&Add");
    QPushButton* btnDelete = form.AddButton(side, "btnDelete", "&Delete");
    QPushButton* btnMoveUp = form.AddButton(side, "btnMoveUp", "Move &Up");
    QPushButton* btnMoveDown = form.AddButton(side, "btnMoveDown", "Move Do&wn");
    QPushButton* btnEdit = form.AddButton(side, "btnEdit", "Configure Actions");
    side->addStretch(1);
    middle->addLayout(side);
    form.Body()->addLayout(middle, 1);
    form.AddOkCancel("btnClose", "&Close");

    TactionButtonPad work(pad.Source());
    work.SetNames(pad.NameList());
    const auto refresh = [&](int select) {
        ListBox1->clear();
        for (const std::string& line : work.FillList()) ListBox1->addItem(Q(line));
        for (int i = 0; i < work.Count(); ++i)
            if (!work.Resolve(i)) ListBox1->item(i)->setForeground(QBrush(Qt::gray));
        if (select >= work.Count()) select = work.Count() - 1;
        if (select >= 0) ListBox1->setCurrentRow(select);
    };
    refresh(0);
    btnAdd->setEnabled(work.Source() != nullptr);
    btnEdit->setEnabled(work.Source() != nullptr);

    QObject::connect(btnAdd, &QPushButton::clicked, &form, [&] {
        TcontrollerAction* picked = SelectAction(*work.Source(), nullptr);
        if (!picked) return;
        work.Add(picked->Name());
        refresh(work.Count() - 1);
    });
    WireRowButtons(
        &form, btnDelete, btnMoveUp, btnMoveDown, work, [ListBox1] { return ListBox1->currentRow(); },
        refresh, [&work](int row) { work.Delete(row); });
    QObject::connect(btnEdit, &QPushButton::clicked, &form, [&] {
        EditActions(*work.Source());
        refresh(ListBox1->currentRow());
    });

    form.resize(560, 460);
    if (!IsOk(RunModal(form))) return false;
    if (work.NameList() != pad.NameList()) pad.SetNames(work.NameList());
    return true;
}

}  // namespace tunecrest
