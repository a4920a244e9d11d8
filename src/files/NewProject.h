#pragma once
/// \brief The parts of the new-project flow that the selection dialog and the command-line tool share.

#include "model/Interfaces.h"

#include <string>
#include <vector>

namespace plotra {

/// Adds a survey file to a project's file list as the selection dialog's "Select"/"Add" does: the
/// absolute path, the file title as its name, ticked. A path already in the list is refused with
/// "This file has been selected!"; returns false then.
bool AddSurveyFile(std::vector<CDataFile>& files, const std::string& path, UserPrompts& prompts);

} // namespace plotra
