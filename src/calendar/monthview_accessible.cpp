#include "calendar/monthview_accessible.h"

#include "calendar/monthview.h"
#include "calendar/monthview_layout.h"
#include "shell/datetext.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

using namespace MonthLayout;

namespace {

const QString PreviousName = QStringLiteral(u"前の月");
const QString NextName = QStringLiteral(u"次の月");

// The table spans all months: MonthRows x 6 week rows by MonthColumns x 7
// days; a cell of a neighbouring month that is not drawn is an empty cell.
int tableRows(const MonthView *view)
{
    return view->monthRows() * RowCount;
}
int tableColumns(const MonthView *view)
{
    return view->monthColumns() * ColumnCount;
}

struct DayPlace
{
    int monthIndex, row, column;
};

DayPlace place(const MonthView *view, int tableRow, int tableColumn)
{
    return {tableRow / RowCount * view->monthColumns() + tableColumn / ColumnCount, tableRow % RowCount,
            tableColumn % ColumnCount};
}

enum class Part { Previous, Next, Today, Day };
constexpr int FirstDayChild = 3;

QRect toScreen(const MonthView *view, const QRect &local)
{
    return QRect(view->mapToGlobal(local.topLeft()), local.size());
}

class PartInterface : public QAccessibleInterface,
                      public QAccessibleTableCellInterface,
                      public QAccessibleTextInterface,
                      public QAccessibleActionInterface
{
public:
    PartInterface(MonthView *view, Part part, int tableRow = 0, int tableColumn = 0)
        : m_view(view)
        , m_part(part)
        , m_row(tableRow)
        , m_column(tableColumn)
    {}

    bool isValid() const override
    {
        return m_view && (m_part != Part::Day || (m_row < tableRows(m_view) && m_column < tableColumns(m_view)));
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>> relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}

    // The name of a day is its long date; its description, the holiday's name.
    QString text(QAccessible::Text t) const override
    {
        if (isValid() && m_part == Part::Day && t == QAccessible::Description)
            return dayLook().holiday.toString();
        if (!isValid() || t != QAccessible::Name)
            return {};
        switch (m_part) {
        case Part::Previous: return PreviousName;
        case Part::Next: return NextName;
        case Part::Today: return m_view->todayText();
        case Part::Day: break;
        }
        const DayLook look = dayLook();
        if (look.isBlank())
            return {};
        // ICU is asked only for dates it formats reliably; the grid of the last
        // month runs into the year 10000.
        if (look.date.year() > 9999)
            return look.date.toString(Qt::ISODate);
        return DateTexts::user().longDate(look.date);
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const Geometry &g = m_view->layoutGeometry();
        switch (m_part) {
        case Part::Previous: return toScreen(m_view, g.previousArrowRect());
        case Part::Next: return toScreen(m_view, g.nextArrowRect());
        case Part::Today: return toScreen(m_view, g.todayRect());
        case Part::Day: break;
        }
        const DayPlace p = place(m_view, m_row, m_column);
        return toScreen(m_view, g.dayRect(p.monthIndex, p.row, p.column));
    }

    QAccessible::Role role() const override { return m_part == Part::Day ? QAccessible::Cell : QAccessible::Button; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (m_part != Part::Day) {
            s.focusable = false;
            return s;
        }
        const DayLook look = dayLook();
        if (look.isBlank()) {
            s.invisible = true;
            return s;
        }
        s.selectable = look.enabled;
        s.focusable = look.enabled;
        s.disabled = !look.enabled;
        s.selected = look.selected;
        s.focused = look.selected && m_view->hasFocus();
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (m_part == Part::Day) {
            if (type == QAccessible::TableCellInterface)
                return static_cast<QAccessibleTableCellInterface *>(this);
            if (type == QAccessible::TextInterface)
                return static_cast<QAccessibleTextInterface *>(this);
        } else if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface *>(this);
        }
        return nullptr;
    }

    // Table cell
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    bool isSelected() const override { return isValid() && dayLook().selected; }
    QAccessibleInterface *table() const override { return parent(); }

    // Text: the day number, whose attributes carry the bold the owner asked for
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return dayText().mid(start, end - start); }
    int characterCount() const override { return int(dayText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return isValid() && dayLook().bold ? QStringLiteral("font-weight:bold;")
                                           : QStringLiteral("font-weight:normal;");
    }

    // Action: the arrows page, the today line selects today
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &name) override
    {
        if (!isValid() || name != pressAction())
            return;
        switch (m_part) {
        case Part::Previous: m_view->showPreviousPage(); break;
        case Part::Next: m_view->showNextPage(); break;
        case Part::Today: m_view->selectToday(); break;
        case Part::Day: break;
        }
    }

private:
    DayLook dayLook() const
    {
        const DayPlace p = place(m_view, m_row, m_column);
        return m_view->dayLook(p.monthIndex, p.row, p.column);
    }
    QString dayText() const
    {
        if (!isValid())
            return {};
        const DayLook look = dayLook();
        return look.isBlank() ? QString() : QString::number(look.date.day());
    }

    QPointer<MonthView> m_view;
    Part m_part;
    int m_row, m_column;
};

class ViewInterface : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ViewInterface(MonthView *view)
        : QAccessibleWidget(view, QAccessible::Table)
    {}
    ~ViewInterface() override
    {
        for (QAccessible::Id id : std::as_const(m_parts))
            QAccessible::deleteAccessibleInterface(id);
    }

    MonthView *view() const { return static_cast<MonthView *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (s.isEmpty() && t == QAccessible::Name) {
            s = view()->monthTitle(0);
            if (view()->monthCount() > 1)
                s += QStringLiteral(" - ") + view()->monthTitle(view()->monthCount() - 1);
        }
        return s;
    }

    int childCount() const override { return FirstDayChild + rowCount() * columnCount(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (index < FirstDayChild)
            return part(Part(index), 0, 0);
        const int cell = index - FirstDayChild;
        return part(Part::Day, cell / columnCount(), cell % columnCount());
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || child->parent() != this)
            return -1;
        if (child->role() == QAccessible::Button) {
            for (int i = 0; i < FirstDayChild; ++i) {
                if (m_parts.value(i) == QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child)))
                    return i;
            }
            return -1;
        }
        auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
        return cell ? FirstDayChild + cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint pos = view()->mapFromGlobal(QPoint(x, y));
        const Geometry &g = view()->layoutGeometry();
        if (g.previousArrowRect().contains(pos))
            return child(int(Part::Previous));
        if (g.nextArrowRect().contains(pos))
            return child(int(Part::Next));
        if (g.todayRect().contains(pos))
            return child(int(Part::Today));
        const Geometry::Hit hit = g.dayAt(pos);
        if (hit.monthIndex < 0)
            return nullptr;
        const int columns = view()->monthColumns();
        return cellAt(hit.monthIndex / columns * RowCount + hit.cell.row,
                      hit.monthIndex % columns * ColumnCount + hit.cell.column);
    }

    QAccessibleInterface *focusChild() const override
    {
        const QList<QAccessibleInterface *> cells = selectedCells();
        return view()->hasFocus() && !cells.isEmpty() ? cells.first() : nullptr;
    }

    // Table
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
            return nullptr;
        return part(Part::Day, row, column);
    }
    int columnCount() const override { return tableColumns(view()); }
    int rowCount() const override { return tableRows(view()); }
    QString columnDescription(int column) const override { return view()->weekdayTitle(column % ColumnCount); }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        const QDate value = view()->value();
        const int months = view()->monthCount();
        for (int m = 0; m < months; ++m) {
            const Cell cell = cellForDate(view()->firstDisplayedMonth().addMonths(m), view()->StartOfWeek(), value);
            if (cell.isValid() && !view()->dayLook(m, cell.row, cell.column).isBlank()) {
                const int columns = view()->monthColumns();
                return {cellAt(m / columns * RowCount + cell.row, m % columns * ColumnCount + cell.column)};
            }
        }
        return {};
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    // Parts are made on first request and kept for the view's lifetime; a day
    // part stands for a table position, so paging only changes what it reports.
    QAccessibleInterface *part(Part kind, int row, int column) const
    {
        const int key = kind == Part::Day ? FirstDayChild + row * 1024 + column : int(kind);
        if (const auto it = m_parts.constFind(key); it != m_parts.cend())
            return QAccessible::accessibleInterface(*it);
        auto *iface = new PartInterface(view(), kind, row, column);
        m_parts.insert(key, QAccessible::registerAccessibleInterface(iface));
        return iface;
    }

    mutable QHash<int, QAccessible::Id> m_parts;
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("MonthView") && object && object->isWidgetType())
        return new ViewInterface(static_cast<MonthView *>(object));
    return nullptr;
}

} // namespace

namespace MonthViewAccessibility {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void displayChanged(MonthView *view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(view, QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&event);
}

void selectionChanged(MonthView *view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(view);
    if (!table || !table->tableInterface())
        return;
    const QList<QAccessibleInterface *> cells = table->tableInterface()->selectedCells();
    if (cells.isEmpty())
        return;
    QAccessibleEvent selection(cells.first(), QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (view->hasFocus()) {
        QAccessibleEvent focus(cells.first(), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace MonthViewAccessibility
