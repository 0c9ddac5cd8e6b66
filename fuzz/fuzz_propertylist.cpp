#include "FuzzSupport.h"
#include "PropertyList.h"

// Any bytes through the property-list reader; what it accepts must survive
// being written and read again in both formats.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace FuzzSupport;
    const auto value = PropertyList::parse(bytes(data, size));
    if (!value)
        return 0;
    const auto binary = PropertyList::parse(PropertyList::serialize(*value, PropertyList::Format::Binary));
    check(binary && *binary == *value, "binary round trip");
    // XML dates carry whole seconds and a one-key "CF$UID" dictionary reads as
    // a UID, so only acceptance is required there.
    check(
        PropertyList::parse(PropertyList::serialize(*value, PropertyList::Format::Xml)).has_value(), "XML round trip");
    return 0;
}
