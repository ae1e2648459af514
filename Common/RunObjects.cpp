#include "Common/RunObjects.h"

namespace skylog {

TRunObjects& Run() {
    static TRunObjects objects;
    return objects;
}

THostData& Host() {
    static THostData data;
    return data;
}

namespace {
char& separator() {
    static char value = ',';
    return value;
}
}  // namespace

char DecimalSeparator() { return separator(); }
void SetDecimalSeparator(char value) { separator() = value; }

}  // namespace skylog
