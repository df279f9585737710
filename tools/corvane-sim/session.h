// One simulator session: the simulated process (booted at once, or after
// reset() when first needed; rebuilt while nothing depends on it when `ios`
// or `process` changes it), its file system root, and the names a script has
// bound.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/process/process.h"
#include "sim/runtime/runtime.h"

namespace corvane::cli {

class Session {
 public:
  // `root`: the simulated file system's root; empty for a fresh temporary
  // folder, removed when the session ends.
  // `library`: the library the process loads (empty: the native module this
  // build made; an arm64 dylib runs under emulation).
  // `pane`: the settings pane the Settings app finds (empty: the native one;
  // else the phone's bundle folder or Mach-O, under emulation). `arch`: the
  // slice of the phone's fat dylib; `count_instructions`: the emulated
  // library counts the guest instructions it runs.
  explicit Session(std::optional<std::string> root, std::string library = "", std::string pane = "",
                   std::string arch = "", bool count_instructions = false);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The process, booted first if reset() left none.
  sim::Process& process();
  bool booted() const { return process_ != nullptr; }
  const std::string& root() const { return root_; }

  // Changes the system version or the process kind; only before the
  // library loads and before any object is made. Returns an error message.
  std::optional<std::string> reconfigure(const sim::ProcessOptions& options);
  const sim::ProcessOptions& options() const { return options_; }

  // The process ends and starts anew: every binding to an object goes.
  void relaunch();
  // The process ends and one of another kind starts on the same files, with
  // the library loaded into it as the injection framework would.
  void switch_to(const sim::ProcessOptions& options);
  // For running many scripts in one session. end() ends the process (also
  // one that crashed) and drops every binding; nothing may use the process
  // until reset(), which empties the root folder and restores the default
  // options (ending the old process first if end() was not called); a fresh
  // process boots when process() is first asked for, so that a script that
  // opens with `ios` or `process`, or fails at once, boots none it does not
  // use. reset() also empties the event log. Numbering of unnamed objects
  // (CLASS#N) starts again at 1 after end().
  void end();
  void reset();
  // Carries out a relaunch the host asked for during the last command.
  bool relaunch_if_requested();

  // Names bound by `new`, `let` and `zoom`; the predefined `arbiter` and
  // (in the home screen) `springboard` are answered without a binding.
  // `keeper`, when given, is held with the name and let go with it: an
  // object that owns the bound one (a platter controller's presentation).
  void bind(const std::string& name, id object, id keeper = nullptr);
  void unbind(const std::string& name);
  id lookup(const std::string& name) const;  // nil when unknown
  bool is_bound(const std::string& name) const;
  const std::map<std::string, sim::Strong>& bindings() const { return bindings_; }

  // A dotted path of a bound name and private parts ("b1.headerContentView"):
  // the object, or nil with `consumed` telling how many parts resolved.
  id resolve(const std::vector<std::string>& path, size_t* consumed) const;

  // The name that reaches an object: a bound name, NAME.part for a private
  // part of a named object, or CLASS#N.
  std::string name_of(id object) const;
  // The number N of an unnamed object's CLASS#N: 1, 2, 3 in the order the
  // script first sees objects, never reused. Allocation serials would do,
  // but they count every host object made, and the phone's library under
  // emulation makes host objects (its strings, its blocks) at other times
  // than the native module: the names would differ between the two routes.
  uint64_t number_for(uint64_t serial) const;
  // The name of a live object by its serial number, if a name reaches it.
  std::optional<std::string> name_for_serial(uint64_t serial) const;
  // Names are worked out once per command; objects change between commands.
  void invalidate_names() const { names_valid_ = false; }

 private:
  void boot();
  void rebuild_names() const;

  std::string root_;
  bool own_root_ = false;
  sim::ProcessOptions options_;
  std::unique_ptr<sim::Process> process_;
  std::map<std::string, sim::Strong> bindings_;
  std::map<std::string, sim::Strong> keepers_;     // by bound name
  mutable std::map<uint64_t, std::string> names_;  // serial -> name, made on demand
  mutable std::map<uint64_t, uint64_t> numbers_;   // serial -> N of CLASS#N, kept until end()
  mutable bool names_valid_ = false;
};

// The private part `part` of `object` (instance variable `_part`, or `part`).
id private_part(id object, const std::string& part);

}  // namespace corvane::cli
