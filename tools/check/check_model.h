// check_model.h -- the MS3D models the game loads, read with the game's own parser.
#pragma once

#include "check_media.h"
#include "check_report.h"
#include "graphics/model.h"

#include <memory>
#include <string>
#include <vector>

// Checks the model file at path (relative to the working directory). users says what the game
// draws with it ("bullets"), for the messages. Returns the model when it parses, else null.
// The images its materials name are added to images, each name once.
std::unique_ptr<model> check_model(CheckReport &report, const std::string &path, const std::string &users,
                                   std::vector<CheckImage> &images);

// What is wrong inside a parsed model: indices out of range, coordinates that are not numbers,
// an empty or enormous box, groups the game cannot draw as meant.
void check_modelContent(CheckReport &report, const std::string &path, const model &m);
