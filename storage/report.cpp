#include "storage/report.h"

#include <utility>

namespace pomix {
namespace {
ReportHook& Hook() {
    static ReportHook hook;
    return hook;
}
}  // namespace

ReportHook SetReportHook(ReportHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

void Report(const std::string& message) {
    if (Hook()) Hook()(message);
}

}  // namespace pomix
