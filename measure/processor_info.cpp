#include "measure/processor_info.h"

ProcessorInfo& processor_info() {
    static ProcessorInfo info = {};
    return info;
}
