#include "element.h"

namespace ReportEngine {

Element::~Element() = default;

}  // namespace ReportEngine
