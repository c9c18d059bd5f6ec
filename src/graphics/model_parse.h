// model_parse.h -- the MS3D reader: the bytes of a file to a model record, without GL or files.
// Owns nothing beyond the record it returns.
#pragma once

#include "graphics/model.h"

#include <cstddef>
#include <memory>
#include <string>

// The model held in size bytes (version 3 or 4), with bounds and radius computed and no
// textures or display lists yet (texture and alphamap 0, displayList 0). Null when the
// identifier or version is wrong or any section is cut short. Counts are checked against the
// bytes that remain before anything is allocated; indices are kept as stored (drawing checks
// them); names are bounded by their fields; whatever follows the joints is ignored. When why
// is given, a refusal says there what was wrong and where.
std::unique_ptr<model> model_parseMS3D(const unsigned char *bytes, size_t size, std::string *why = nullptr);
