#pragma once

class MonthView;

// The month view to screen readers: a table whose cells are the days, named
// by their long date, with the paging arrows and the today line as buttons.
namespace MonthViewAccessibility {

void install();                         // registers the interface factory, once per process
void displayChanged(MonthView *view);   // the months on display changed
void selectionChanged(MonthView *view); // the value moved

} // namespace MonthViewAccessibility
