#include "calendar/frmcalender.h"

#include "calendar/monthview.h"
#include "shell/Module1.h"
#include "shell/captions.h"
#include "shell/clock.h"
#include "shell/corner.h"
#include "shell/twips.h"
#include "shell/weekday.h"

#include <QMenu>

namespace {

const CalendarLayout Calendar1{FormKind::FrmCalender, "MonthView1", 1, 1, 2385, 2220, 2385, 2220, 2475, 3315, true};
const CalendarLayout Calendar3{FormKind::FrmCalender3, "MonthView3", 3, 1, 7215, 2220, 7260, 2235, 7350, 3330, false};
const CalendarLayout Calendar6{FormKind::FrmCalender6, "MonthView6", 3, 2, 7215, 4230, 7260, 4245, 7350, 5340, true};
const CalendarLayout Calendar12{
    FormKind::FrmCalender12, "MonthView12", 3, 4, 7215, 8250, 7275, 8280, 7365, 9375, false};

const QDate EarliestDate(1753, 1, 1);
const QDate LatestDate(9999, 12, 31);

} // namespace

CalendarForm::CalendarForm(const CalendarLayout &layout)
    : Form(layout.kind, TitleButtons::CloseOnly)
    , m_layout(layout)
    , m_view(new MonthView(client()))
{
    setWindowTitle(Captions::CalendarCaption);
    setClientSizeTwips(layout.clientWidth, layout.clientHeight);

    // The menus differ only in which entries they leave out: no window
    // offers itself, and the twelve-month window reaches six months with "6".
    QMenu *mnuFile = addMenu("mnuFile", Captions::File);
    connect(addItem(mnuFile, "mnuFileExit", Captions::FileExit), &QAction::triggered, this,
            &CalendarForm::mnuFileExit_Click);
    QMenu *mnuHyouzi = addMenu("mnuHyouzi", Captions::View);
    connect(addItem(mnuHyouzi, "mnuHyouziDay", Captions::ViewDay), &QAction::triggered, this,
            &CalendarForm::mnuHyouziDay_Click);
    if (layout.kind != FormKind::FrmCalender)
        connect(addItem(mnuHyouzi, "mnuHyouzi1", Captions::View1), &QAction::triggered, this,
                &CalendarForm::mnuHyouzi1_Click);
    if (layout.kind != FormKind::FrmCalender3)
        connect(addItem(mnuHyouzi, "mnuHyouzi3", Captions::View3), &QAction::triggered, this,
                &CalendarForm::mnuHyouzi3_Click);
    if (layout.kind != FormKind::FrmCalender6)
        connect(addItem(mnuHyouzi, "mnuHyouzi6",
                        layout.kind == FormKind::FrmCalender12 ? Captions::View6Key6 : Captions::View6),
                &QAction::triggered, this, &CalendarForm::mnuHyouzi6_Click);
    if (layout.kind != FormKind::FrmCalender12)
        connect(addItem(mnuHyouzi, "mnuHyouzi12", Captions::View12), &QAction::triggered, this,
                &CalendarForm::mnuHyouzi12_Click);

    m_view->setObjectName(QString::fromLatin1(layout.monthViewName));
    m_view->setGeometry(Twips::rectToPixels(0, 0, layout.viewWidth, layout.viewHeight));
    m_view->setMonthGrid(layout.columns, layout.rows);
    m_view->setDateRange(EarliestDate, LatestDate);
    m_view->setStartOfWeek(1);
    if (layout.ownFont)
        m_view->setFont(QFont(Captions::MsPGothic, 9));
    connect(m_view, &MonthView::GetDayBold, this, &CalendarForm::MonthView_GetDayBold, Qt::DirectConnection);
}

void CalendarForm::Form_Load()
{
    placeAtCorner(this, {m_layout.cornerLeft, m_layout.cornerTop});
    m_view->setValue(Clock::today()); // every calendar opens on today
    Module1::SetWindowPos(this, Module1::HWND_TOPMOST, 0, 0, 0, 0, Module1::SWP_NOSIZE | Module1::SWP_NOMOVE);
}

void CalendarForm::markSundays(const MonthView &view, QDate StartDate, int Count, QList<bool> &State)
{
    // With the week starting on Sunday the run starts on a Sunday, and the
    // days to mark are elements 0, 7, 14, ... For any other first day the
    // run's real Sundays are marked instead, found from its start date.
    const int firstSunday = StartDate.isValid() ? Weekday::daysUntil(Weekday::of(StartDate), Weekday::Sunday) : 0;
    for (int i = 1; i < Count; i += 7) {
        const int w = view.StartOfWeek(); // read anew on every pass
        const int k = w == 1 ? i - w : i - 1 + firstSunday;
        if (k < 0 || k >= State.size())
            break;
        State[k] = true;
    }
}

void CalendarForm::MonthView_GetDayBold(QDate StartDate, int Count, QList<bool> &State)
{
    markSundays(*m_view, StartDate, Count, State);
}

void CalendarForm::mnuFileExit_Click()
{
    Forms::Unload(kind());
}

void CalendarForm::mnuHyouziDay_Click()
{
    Forms::Switch(this, FormKind::FrmMain);
}

void CalendarForm::mnuHyouzi1_Click()
{
    Forms::Switch(this, FormKind::FrmCalender);
}

void CalendarForm::mnuHyouzi3_Click()
{
    Forms::Switch(this, FormKind::FrmCalender3);
}

void CalendarForm::mnuHyouzi6_Click()
{
    Forms::Switch(this, FormKind::FrmCalender6);
}

void CalendarForm::mnuHyouzi12_Click()
{
    Forms::Switch(this, FormKind::FrmCalender12);
}

FrmCalender::FrmCalender()
    : CalendarForm(Calendar1)
{}
FrmCalender3::FrmCalender3()
    : CalendarForm(Calendar3)
{}
FrmCalender6::FrmCalender6()
    : CalendarForm(Calendar6)
{}
FrmCalender12::FrmCalender12()
    : CalendarForm(Calendar12)
{}
