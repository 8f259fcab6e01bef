#include "today/frmmain.h"

#include "shell/Module1.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/datetext.h"
#include "shell/platform.h"
#include "shell/twips.h"
#include "shell/weekday.h"
#include "today/datelabel.h"

#include <QMenu>

namespace {

constexpr CornerOffsets Offsets{2370, 1500};

QFont dateFont()
{
    QFont font(Captions::MsPGothic, 12);
    font.setItalic(true);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

FrmMain::FrmMain()
    : Form(FormKind::FrmMain, TitleButtons::MinimizeAndClose)
{
    setWindowTitle(Captions::TodayCaption);
    setClientSizeTwips(2280, 405);

    QMenu *mnuFile = addMenu("mnuFile", Captions::File);
    connect(addItem(mnuFile, "mnuFileExit", Captions::FileExit), &QAction::triggered, this,
            &FrmMain::mnuFileExit_Click);

    QMenu *mnuHyouzi = addMenu("mnuHyouzi", Captions::View);
    QMenu *mnuHyouziCalender = addSubMenu(mnuHyouzi, "mnuHyouziCalender", Captions::ViewCalendar);
    connect(addItem(mnuHyouziCalender, "mnuHyouzi1", Captions::View1), &QAction::triggered, this,
            &FrmMain::mnuHyouzi1_Click);
    connect(addItem(mnuHyouziCalender, "mnuHyouzi3", Captions::View3), &QAction::triggered, this,
            &FrmMain::mnuHyouzi3_Click);
    connect(addItem(mnuHyouziCalender, "mnuHyouzi6", Captions::View6), &QAction::triggered, this,
            &FrmMain::mnuHyouzi6_Click);
    connect(addItem(mnuHyouziCalender, "mnuHyouzi12", Captions::View12), &QAction::triggered, this,
            &FrmMain::mnuHyouzi12_Click);
    addSeparator(mnuHyouzi, "mnuHyouziLine1");
    connect(addItem(mnuHyouzi, "mnuHyouziAbout", Captions::ViewAbout), &QAction::triggered, this,
            &FrmMain::mnuHyouziAbout_Click);

    // Sized to its text from load on, up to the client area's right edge: a
    // text that is too long is narrowed to fit or cut there, and nothing
    // widens the window.
    LblDate = new DateLabel(QStringLiteral("LblDate"), client());
    LblDate->setObjectName(QStringLiteral("LblDate"));
    LblDate->setFont(dateFont());
    LblDate->setAutoFillBackground(true);
    LblDate->setGeometry(Twips::rectToPixels(120, 120, 780, 240));
    LblDate->setRoom(Twips::toPixels(2280 - 120));
    connect(LblDate, &DateLabel::doubleClicked, this, &FrmMain::LblDate_DblClick);

    // The strip stays open all day and night: at midnight, and when the
    // clock or the time zone is set or the machine wakes, it shows the new
    // day. Nothing else changes, not the window's place nor its size.
    connect(new Platform::DayWatch(this), &Platform::DayWatch::dayMayHaveChanged, this, [this] {
        if (Clock::today() != m_date)
            showDate();
    });
}

QString FrmMain::dateText(QDate date)
{
    return DateTexts::user().longDate(date) + Captions::WeekdaySuffix[Weekday::of(date) - 1];
}

void FrmMain::Form_Load()
{
    placeAtCorner(this, Offsets);
    showDate();
    Module1::SetWindowPos(this, Module1::HWND_TOPMOST, 0, 0, 0, 0, Module1::SWP_NOSIZE | Module1::SWP_NOMOVE);
}

void FrmMain::showDate()
{
    // One reading of the clock gives both the date and its weekday.
    m_date = Clock::today();
    const QString text = dateText(m_date);
    LblDate->setFont(Platform::primaryFontFor(dateFont(), text));
    LblDate->setText(text);
    LblDate->adjustSize();
}

void FrmMain::LblDate_DblClick()
{
    mnuHyouzi1_Click();
}

void FrmMain::mnuFileExit_Click()
{
    Forms::Unload(kind());
}

void FrmMain::mnuHyouzi1_Click()
{
    Forms::Switch(this, FormKind::FrmCalender);
}

void FrmMain::mnuHyouzi3_Click()
{
    Forms::Switch(this, FormKind::FrmCalender3);
}

void FrmMain::mnuHyouzi6_Click()
{
    Forms::Switch(this, FormKind::FrmCalender6);
}

void FrmMain::mnuHyouzi12_Click()
{
    Forms::Switch(this, FormKind::FrmCalender12);
}

// An About window already open may be covered or minimized: choosing it
// again brings that one window back to the front and gives it the focus.
void FrmMain::mnuHyouziAbout_Click()
{
    Form *about = Forms::Show(FormKind::frmAbout);
    about->setWindowState(about->windowState() & ~Qt::WindowMinimized);
    about->raise();
    about->activateWindow();
}
