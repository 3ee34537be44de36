#include "tool/output_place.h"

namespace {

FileIdentity imageIdentity;

}  // namespace

void setImageIdentity(const FileIdentity& identity) { imageIdentity = identity; }

bool outputIsImage(const char* name) { return isSameFile(name, imageIdentity); }

std::FILE* createOutput(const char* name) { return createOutputFile(name); }
