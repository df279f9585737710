// The host's private parts, read by instance-variable name through
// valueForKey:. A key is only asked of an object of the class that declares
// it: valueForKey: of a key the object's class does not know raises, and on
// a phone that takes the whole process down. The dumps of the host's classes
// cannot say which view the host passes in every case, so the library checks.
#pragma once

#include "platform/platform.h"

namespace corvane {

// Whether `object` is an instance of the class named `class_name`, or of a
// subclass. NO for nil and for a class the process does not have.
bool is_instance_of(id object, const char* class_name);

// The value of `key` (a constant string such as CV_STR("_backgroundView"))
// of `owner` when `owner` is a `declaring_class`, else nil without asking.
id private_part(id owner, const char* declaring_class, id key);

}  // namespace corvane
