// The choice, once at start-up, between the local model and the templates.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "narrator/narrator.h"

namespace quillvarden {

struct NarratorSelection {
    std::unique_ptr<INarrator> narrator;  // never null after selection
    std::int32_t ruleMode = 1;            // 1: the templates; 0: the local model
    std::string modelName;                // the model's file name; empty with the templates
};

// The first file named *.gguf (not a directory) in the directory, in listing order,
// as directory + separator + name; empty when there is none.
std::string findModelInDirectory(const std::string& directory);

// "models", "quillvarden/models", "../../models", then, when the executable's
// directory is known, that directory's "models" and "../../models".
std::vector<std::string> modelDirectories(const std::string& executableDirectory, char sep);

std::string discoverModelIn(const std::vector<std::string>& directories);
std::string discoverModel();

// Makes the narrator for a model file (the local-model narrator, loaded).
using ModelNarratorFactory = std::function<std::unique_ptr<INarrator>(const std::string& modelPath)>;

// Never fails: without a model, or when it cannot be used, the templates are chosen.
NarratorSelection selectNarrator();
NarratorSelection selectNarratorFor(const std::string& modelPath, const ModelNarratorFactory& makeModelNarrator);

}  // namespace quillvarden
