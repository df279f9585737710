// The simulated runtime: dispatch, caching, hooking, reference counting,
// associations and weak references.
#include <gtest/gtest.h>

#include "sim/foundation/foundation.h"
#include "sim/runtime/encoding.h"
#include "sim/runtime/host_classes.h"
#include "support/sim_fixture.h"

using namespace sim;
using corvane_test::ProcessSpec;
using corvane_test::SimProcess;

namespace {

struct Counter : objc_object {
  int value = 0;
};

int base_answer(id, SEL) { return 1; }
int sub_answer(id, SEL) { return 2; }
int hooked_answer(id, SEL) { return 100; }
IMP g_slot = nullptr;
int chained_answer(id self, SEL cmd) { return 10 + reinterpret_cast<int (*)(id, SEL)>(g_slot)(self, cmd); }
BOOL flag(id, SEL) { return YES; }
void take_bool(id self, SEL, BOOL v) { as<Counter>(self)->value = v ? 1 : -1; }
id class_answer(id, SEL) { return make_string("class-side"); }

// A root class, Base, and Sub (which inherits answer).
struct Classes {
  Class base;
  Class sub;
};

Classes define_test_classes() {
  Class base = define_class<Counter>("TestBase", ensure_class("NSObject"));
  def(base, "answer", base_answer);
  def(base, "flag", flag);
  def(base, "takeBool:", take_bool);
  def_class(base, "classAnswer", class_answer);
  Class sub = define_class<Counter>("TestSub", base);
  return {base, sub};
}

id make(Class c) { return objc_autorelease(alloc_instance(c)); }

class RuntimeTest : public ::testing::Test {
 protected:
  SimProcess proc{ProcessSpec{{13, 7, 0}, ProcessKind::Daemon, "test"}};
  AutoreleasePool pool;
  Classes c = define_test_classes();
};

TEST_F(RuntimeTest, DispatchFollowsTheSuperclassChainAndClassSide) {
  EXPECT_EQ(send<int>(make(c.base), sel("answer")), 1);
  EXPECT_EQ(send<int>(make(c.sub), sel("answer")), 1);
  EXPECT_EQ(string_value(send<id>(reinterpret_cast<id>(c.sub), sel("classAnswer"))), "class-side");
  EXPECT_EQ(object_getClass(reinterpret_cast<id>(c.base)), c.base->counterpart);
  EXPECT_TRUE(class_isMetaClass(object_getClass(reinterpret_cast<id>(c.base))));
}

TEST_F(RuntimeTest, MessagesToNilYieldZero) {
  EXPECT_EQ(send<int>(nullptr, sel("answer")), 0);
  EXPECT_EQ(send<id>(nullptr, sel("anything")), nullptr);
  CGRect r = send<CGRect>(nullptr, sel("frame"));
  EXPECT_EQ(r.size.width, 0);
  send<void>(nullptr, sel("unknownButHarmless"));
}

TEST_F(RuntimeTest, CacheIsFlushedWhenAMethodChanges) {
  id sub = make(c.sub);
  EXPECT_EQ(send<int>(sub, sel("answer")), 1);  // cached in TestSub
  class_addMethod(c.sub, sel("answer"), reinterpret_cast<IMP>(sub_answer), "i@:");
  EXPECT_EQ(send<int>(sub, sel("answer")), 2);
  IMP old = nullptr;
  MSHookMessageEx(c.base, sel("answer"), reinterpret_cast<IMP>(hooked_answer), &old);
  EXPECT_EQ(send<int>(make(c.base), sel("answer")), 100);
  EXPECT_EQ(send<int>(sub, sel("answer")), 2);  // the override is untouched
  EXPECT_EQ(old, reinterpret_cast<IMP>(base_answer));
}

TEST_F(RuntimeTest, HookingAnInheritedMethodAddsItToTheClassWithTheSuperImplementation) {
  id sub = make(c.sub);
  id base = make(c.base);
  send<int>(sub, sel("answer"));  // warm the cache first
  g_slot = nullptr;
  MSHookMessageEx(c.sub, sel("answer"), reinterpret_cast<IMP>(chained_answer), &g_slot);
  EXPECT_EQ(g_slot, reinterpret_cast<IMP>(base_answer));
  EXPECT_EQ(send<int>(sub, sel("answer")), 11);
  EXPECT_EQ(send<int>(base, sel("answer")), 1);
  // The slot keeps the implementation as it was at hook time.
  def(c.base, "answer", hooked_answer);
  EXPECT_EQ(send<int>(sub, sel("answer")), 11);
  EXPECT_STREQ(sim_class_method_types(c.sub, sel("answer")), "i16@0:8");
}

TEST_F(RuntimeTest, HookingTwiceChainsThroughTheFirstReplacement) {
  IMP first = nullptr;
  MSHookMessageEx(c.base, sel("answer"), reinterpret_cast<IMP>(hooked_answer), &first);
  g_slot = nullptr;
  MSHookMessageEx(c.base, sel("answer"), reinterpret_cast<IMP>(chained_answer), &g_slot);
  EXPECT_EQ(first, reinterpret_cast<IMP>(base_answer));
  EXPECT_EQ(g_slot, reinterpret_cast<IMP>(hooked_answer));
  EXPECT_EQ(send<int>(make(c.base), sel("answer")), 110);
}

TEST_F(RuntimeTest, NullClassOrMissingMethodLeavesEverythingAsItWas) {
  IMP slot = nullptr;
  MSHookMessageEx(nullptr, sel("answer"), reinterpret_cast<IMP>(hooked_answer), &slot);
  MSHookMessageEx(c.base, sel("noSuchMethod"), reinterpret_cast<IMP>(hooked_answer), &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_FALSE(class_addMethod(nullptr, sel("x"), reinterpret_cast<IMP>(flag), "B@:"));
  EXPECT_FALSE(class_respondsToSelector(c.base, sel("noSuchMethod")));
  EXPECT_TRUE(runtime_touches().empty());
}

TEST_F(RuntimeTest, AddMethodKeepsAnExistingMethodAndCopiesTheTypes) {
  char types[8] = "B@:";
  EXPECT_TRUE(class_addMethod(c.sub, sel("flag"), reinterpret_cast<IMP>(flag), types));
  types[0] = 'v';  // the caller reuses its buffer
  EXPECT_STREQ(sim_class_method_types(c.sub, sel("flag")), "B@:");
  EXPECT_FALSE(class_addMethod(c.base, sel("answer"), reinterpret_cast<IMP>(hooked_answer), "i@:"));
  EXPECT_EQ(send<int>(make(c.base), sel("answer")), 1);
}

TEST_F(RuntimeTest, AssociationsAreReleasedWithTheirOwner) {
  static char key;
  Weak watched;
  {
    AutoreleasePool inner;
    id owner = alloc_instance(c.base);
    id value = alloc_instance(c.base);
    watched = value;
    objc_setAssociatedObject(owner, &key, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    objc_release(value);  // the association keeps it alive
    EXPECT_EQ(watched.get(), value);
    EXPECT_EQ(objc_getAssociatedObject(owner, &key), value);
    objc_release(owner);
  }
  EXPECT_EQ(watched.get(), nullptr);
}

TEST_F(RuntimeTest, ReplacingAnAssociationReleasesTheOldValue) {
  static char key;
  id owner = make(c.base);
  Weak first;
  {
    AutoreleasePool inner;
    id a = alloc_instance(c.base);
    first = a;
    objc_setAssociatedObject(owner, &key, a, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    objc_release(a);
    objc_setAssociatedObject(owner, &key, make(c.base), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  EXPECT_EQ(first.get(), nullptr);
  objc_setAssociatedObject(owner, &key, nullptr, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(objc_getAssociatedObject(owner, &key), nullptr);
}

TEST_F(RuntimeTest, WeakReferencesAreZeroedAtDeallocation) {
  id obj = alloc_instance(c.base);
  Weak a;
  Weak b;
  a = obj;
  b = obj;
  size_t before = live_object_count();
  objc_retain(obj);
  objc_release(obj);
  EXPECT_EQ(a.get(), obj);
  objc_release(obj);
  EXPECT_EQ(a.get(), nullptr);
  EXPECT_EQ(b.get(), nullptr);
  EXPECT_EQ(live_object_count(), before - 1);
}

TEST_F(RuntimeTest, AutoreleasePoolReleasesOnPop) {
  Weak w;
  {
    AutoreleasePool inner;
    w = make(c.base);
    EXPECT_NE(w.get(), nullptr);
  }
  EXPECT_EQ(w.get(), nullptr);
}

TEST_F(RuntimeTest, TypedSendsCheckBoolAgainstOtherTypes) {
  id obj = make(c.base);
  send<void>(obj, sel("takeBool:"), (BOOL)YES);
  EXPECT_EQ(as<Counter>(obj)->value, 1);
  EXPECT_DEATH(send<void>(obj, sel("takeBool:"), 1), "takeBool:.*\"v@:i\".*\"v20@0:8B16\"");
  EXPECT_DEATH(send<int>(obj, sel("flag")), "flag");
}

TEST_F(RuntimeTest, UnknownSelectorAbortsNamingClassAndSelector) {
  id obj = make(c.sub);
  EXPECT_DEATH(send<void>(obj, sel("fly")), "-\\[TestSub fly\\]: unrecognized selector");
  EXPECT_DEATH(send<void>(reinterpret_cast<id>(c.sub), sel("fly")),
               "\\+\\[TestSub fly\\]: unrecognized selector");
}

// A class made at run time (a preference bundle's controller) is found by
// name only once registered, takes no name already in use, and lays its
// instances out as its superclass's, ivars included.
TEST_F(RuntimeTest, AClassMadeAtRunTimeIsFoundOnceRegistered) {
  Class made = objc_allocateClassPair(c.base, "TestMade", 0);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(objc_getClass("TestMade"), nullptr);
  EXPECT_EQ(objc_allocateClassPair(c.base, "TestSub", 0), nullptr);
  EXPECT_TRUE(class_addMethod(made, sel("answer"), reinterpret_cast<IMP>(sub_answer), "i16@0:8"));
  objc_registerClassPair(made);
  EXPECT_EQ(objc_getClass("TestMade"), made);
  id obj = make(made);
  EXPECT_EQ(send<int>(obj, sel("answer")), 2);
  EXPECT_TRUE(send<BOOL>(obj, sel("flag")));
}

// object_getIvar and object_setIvarWithStrongDefault use only an object ivar
// of the object's own class chain, strongly (or weakly, as declared).
TEST_F(RuntimeTest, IvarsAreReadAndWrittenOnlyThroughTheirOwnClassChain) {
  struct Holder : Counter {
    Strong held;
    Weak seen;
  };
  Class holder = define_class<Holder>("TestHolder", c.base);
  add_ivar(holder, "_held", offsetof(Holder, held));
  add_ivar(holder, "_seen", offsetof(Holder, seen), nullptr, Ownership::Weak);
  add_scalar_ivar(holder, "_count", offsetof(Holder, value), "i");
  Class other = define_class<Holder>("TestOther", c.base);
  add_ivar(other, "_held", offsetof(Holder, held));
  id obj = make(holder);
  id value = make(c.base);
  ::Ivar held = class_getInstanceVariable(holder, "_held");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(class_getInstanceVariable(holder, "_missing"), nullptr);
  object_setIvarWithStrongDefault(obj, held, value);
  EXPECT_EQ(object_getIvar(obj, held), value);
  EXPECT_EQ(value->refcount, 2u) << "held strongly";
  object_setIvarWithStrongDefault(obj, class_getInstanceVariable(holder, "_seen"), value);
  EXPECT_EQ(value->refcount, 2u) << "a weak ivar does not retain";
  EXPECT_EQ(object_getIvar(obj, class_getInstanceVariable(holder, "_seen")), value);
  // Another class's record, a scalar ivar or any other pointer: nothing.
  id stranger = make(other);
  object_setIvarWithStrongDefault(stranger, held, value);
  EXPECT_EQ(as<Holder>(stranger)->held.get(), nullptr);
  EXPECT_EQ(object_getIvar(obj, class_getInstanceVariable(holder, "_count")), nullptr);
  EXPECT_EQ(object_getIvar(obj, reinterpret_cast<::Ivar>(value)), nullptr);
}

TEST(Encoding, NormalizationIgnoresOffsetsQualifiersAndBlocks) {
  struct Case {
    const char* method;
    const char* caller;
    bool agree;
  } cases[] = {
      {"v16@0:8", "v@:", true},
      {"B24@0:8B16", "B@:B", true},
      {"v@:d@?", "v@:d@", true},
      {"r*@:", "*@:", true},
      {"v@:{CGRect={CGPoint=dd}{CGSize=dd}}", "v@:{CGRect={CGPoint=dd}{CGSize=dd}}", true},
      {"v@:B", "v@:i", false},
      {"q@:", "i@:", false},
      {"@@:@", "@@:", false},
  };
  for (const Case& k : cases)
    EXPECT_EQ(encodings_agree(normalize_encoding(k.method), k.caller), k.agree) << k.method;
}

}  // namespace

// A host class is installed when first named, which nothing can tell from a
// class there from the start: it is found by name, its name is taken before
// anyone used it, and the class list holds it; a class of a layer the
// process lacks stays absent.
TEST(HostClasses, AClassNotYetUsedIsThereWhenNamedOrListed) {
  auto has = [](const char* name) {
    for (Class c : all_classes())
      if (c->name == name) return true;
    return false;
  };
  {
    SimProcess proc{ProcessSpec{{13, 7, 0}, ProcessKind::SpringBoard, "com.apple.springboard"}};
    EXPECT_EQ(objc_allocateClassPair(objc_getClass("NSObject"), "SBIconView", 0), nullptr);
    EXPECT_TRUE(has("SBFolderIconImageView"));
    Class view = objc_getClass("UIView");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(class_getSuperclass(view), objc_getClass("UIResponder"));
  }
  SimProcess daemon{ProcessSpec{{13, 7, 0}, ProcessKind::Daemon, "test"}};
  EXPECT_EQ(objc_getClass("SBIconView"), nullptr);
  EXPECT_FALSE(has("UIView"));
  EXPECT_NE(objc_allocateClassPair(objc_getClass("NSObject"), "SBIconView", 0), nullptr);
}
