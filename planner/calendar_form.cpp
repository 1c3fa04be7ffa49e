#include "planner/calendar_form.h"

#include "settings/program_files.h"

namespace pomix {

TCalendarForm::TCalendarForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourPlanner, "CalendarForm", {}, parent), container_(container) {
    setObjectName("CalendarForm");
    binding_.BindDictionary();
}

}  // namespace pomix
