#pragma once
// Text put into an XML element: the three characters that would start
// markup become entities. (Attribute values would need quotes escaped too;
// the program writes none from outside text.)
#include <string>
#include <string_view>

namespace tavrek::platform {

std::string XmlText(std::string_view text);

}  // namespace tavrek::platform
