// The about, help and welcome dialogs of the configuration window.
#pragma once

#include <array>
#include <string>

#include "platform/controls.h"
#include "platform/runtime.h"
#include "startup/settings.h"

namespace quarlyn {

struct ProgramVersion {
  int major;
  int minor;
  int revision;
};

// Set once, by the build, from the project's version.
inline constexpr ProgramVersion kProgramVersion{QUARLYN_VERSION_MAJOR, QUARLYN_VERSION_MINOR,
                                                QUARLYN_VERSION_PATCH};
inline constexpr const char* kHomePage = "https://www.dovrane.example/quarlyn";
inline constexpr const char* kEmailAddress = kSupportContact;

inline constexpr const char* kErrorTitle = "Error!";
// Two carriage returns and no line feeds, as the box shows them: one blank line.
inline const std::string kBrowserErrorText =
    "Error Launching Your Default Browser!\r\rPlease make sure you have a DEFAULT browser selected and try again.";

// "Version 2.0.2": plain decimal numbers, no leading zeros.
std::string version_line(const ProgramVersion& version);

class frm_about : public ModalForm {
 public:
  frm_about(Runtime& runtime, ProgramVersion version = kProgramVersion);

  // A general file opener: the file with its parameters, from its own folder.
  void launch_file(std::string file, std::string params, int32_t show);

  Image Image1, Image2, Image3;
  Label Label1, Label2, Label3, Label4, Label5, Label6;
  CommandButton Command4, Command1;

 private:
  void load();
  void Command4_Click();

  Runtime& runtime_;
  ProgramVersion version_;
};

class frm_help : public ModalForm {
 public:
  frm_help(Runtime& runtime, const Settings& settings);

  Image Image2;
  Label Label1;
  std::array<Label, 6> Label2;
  Label Label3;
  CommandButton Command1, Command2;

 private:
  void Command1_Click();

  Runtime& runtime_;
  const Settings& settings_;
};

class frm_welcome : public ModalForm {
 public:
  frm_welcome(Runtime& runtime, Settings& settings);

  Image Image1, Image2;
  std::array<Label, 2> Label1;
  std::array<Label, 3> Label2;
  Label Label3;
  CheckBox Check1;
  CommandButton Command1;

 private:
  Runtime& runtime_;
  Settings& settings_;
};

}  // namespace quarlyn
