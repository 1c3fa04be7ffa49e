#include "kit/program_state.h"

#include <QApplication>

namespace pomix {
namespace {

int& ModalDepth() {
    static int depth = 0;
    return depth;
}

}  // namespace

TProgramState& TProgramState::Instance() {
    static TProgramState state;
    return state;
}

bool ModalShowing() { return ModalDepth() > 0 || QApplication::activeModalWidget() != nullptr; }

ModalScope::ModalScope() { ++ModalDepth(); }
ModalScope::~ModalScope() { --ModalDepth(); }

}  // namespace pomix
