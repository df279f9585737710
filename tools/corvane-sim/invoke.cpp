#include "tools/corvane-sim/invoke.h"

#include <functional>
#include <map>
#include <utility>

#include "sim/runtime/encoding.h"

namespace corvane::cli {
namespace {

using Caller = std::function<SendResult(id, SEL, const std::vector<Arg>&)>;

template <typename R>
SendResult wrap(R value) {
  SendResult r;
  if constexpr (std::is_same_v<R, id>) {
    r.kind = '@';
    r.object = value;
  } else if constexpr (std::is_same_v<R, bool>) {
    r.kind = 'B';
    r.boolean = value;
  } else if constexpr (std::is_same_v<R, double> || std::is_same_v<R, float>) {
    r.kind = 'd';
    r.real = value;
  } else if constexpr (std::is_same_v<R, CGRect>) {
    r.kind = 'R';
    r.rect = value;
  } else if constexpr (std::is_same_v<R, CGSize>) {
    r.kind = 'S';
    r.size = value;
  } else {
    r.kind = 'q';
    r.integer = static_cast<long>(value);
  }
  return r;
}

template <typename R, typename... A, size_t... I>
SendResult call(id target, SEL sel, const std::vector<Arg>& args, std::index_sequence<I...>) {
  if constexpr (std::is_same_v<R, void>) {
    sim::send<void>(target, sel, std::get<A>(args[I])...);
    return SendResult{};
  } else {
    return wrap<R>(sim::send<R>(target, sel, std::get<A>(args[I])...));
  }
}

std::map<std::string, Caller>& table() {
  static std::map<std::string, Caller> t;
  return t;
}

template <typename R, typename... A>
void reg() {
  table()[sim::normalize_encoding(sim_enc::signature<R, A...>()->types)] = [](id target, SEL sel,
                                                                              const std::vector<Arg>& args) {
    return call<R, A...>(target, sel, args, std::index_sequence_for<A...>{});
  };
}

// Every result type with no argument, one argument of each kind, and the
// longer signatures the host's and the library's methods have.
template <typename R>
void reg_result() {
  reg<R>();
  reg<R, id>();
  reg<R, SEL>();
  reg<R, bool>();
  reg<R, long>();
  reg<R, unsigned long>();
  reg<R, int>();
  reg<R, double>();
  reg<R, CGRect>();
  reg<R, CGSize>();
  reg<R, id, id>();
  reg<R, id, bool>();
  reg<R, id, long>();
  reg<R, double, double>();
  reg<R, bool, long>();
  reg<R, id, id, id>();
}

void build() {
  reg_result<void>();
  reg_result<id>();
  reg_result<bool>();
  reg_result<long>();
  reg_result<unsigned long>();
  reg_result<int>();
  reg_result<double>();
  reg_result<float>();
  reg_result<CGRect>();
  reg_result<CGSize>();
  reg<id, double, double, double, double>();
  reg<void, id, SEL, id, id>();                   // addObserver:selector:name:object:
  reg<id, double, id, SEL, id, bool>();           // scheduledTimerWithTimeInterval:target:...
  reg<void, long, long, long, long, long>();      // _logChangeEventWithNewMode:...
  reg<id, id, id, long, id, CGSize, id, bool>();  // zoomViewForDeviceApplicationSceneHandle:...
  reg<bool, id, id, id>();                        // doesIdentifier:andKey:containBundleIdentifier:
  reg<void, id, long>();
}

}  // namespace

std::vector<std::string> split_encoding(const std::string& types) {
  std::string n = sim::normalize_encoding(types);
  std::vector<std::string> out;
  for (size_t i = 0; i < n.size();) {
    size_t start = i;
    while (i < n.size() && n[i] == '^') ++i;
    if (i < n.size() && n[i] == '{') {
      int depth = 0;
      for (; i < n.size(); ++i) {
        if (n[i] == '{') ++depth;
        if (n[i] == '}' && --depth == 0) {
          ++i;
          break;
        }
      }
    } else {
      ++i;
    }
    out.push_back(n.substr(start, i - start));
  }
  // Drop the receiver and the selector.
  if (out.size() >= 3) out.erase(out.begin() + 1, out.begin() + 3);
  return out;
}

std::optional<SendResult> invoke(id target, SEL selector, const std::string& types,
                                 const std::vector<Arg>& args, std::string* error) {
  if (table().empty()) build();
  auto it = table().find(sim::normalize_encoding(types));
  if (it == table().end()) {
    if (error) *error = "the simulator cannot send a method with types \"" + types + "\"";
    return std::nullopt;
  }
  return it->second(target, selector, args);
}

}  // namespace corvane::cli
