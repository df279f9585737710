#include "sim/runtime/crash.h"

namespace sim {
namespace {

int g_scopes = 0;

std::string& reason_slot() {
  static auto* reason = new std::string();
  return *reason;
}

}  // namespace

CrashScope::CrashScope() { ++g_scopes; }
CrashScope::~CrashScope() { --g_scopes; }

bool crashes_are_caught() { return g_scopes > 0; }

const std::string& last_crash_reason() { return reason_slot(); }
void note_crash_reason(const std::string& reason) { reason_slot() = reason; }

}  // namespace sim
