#pragma once
#include "common/exception.h"

#include <string>

namespace ui {

using common::Exception;
using common::OutOfResources;

// The class name an error report shows for any exception.
const char* ExceptionClassName(const std::exception& error);

// The text of the error box: the message with a full stop added when it does not end with one.
std::string WithFullStop(const std::string& message);

}  // namespace ui
