// Helpers of the resource tests: scratch folders and field-by-field comparison of resource sets.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "resource_set.h"

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("velomorph_resources_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream(file(name), std::ios::binary) << bytes;
    return file(name);
  }

 private:
  std::filesystem::path path_;
};

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void expectSameControl(const DialogControl& a, const DialogControl& b) {
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.className, b.className);
  EXPECT_EQ(a.caption, b.caption);
  EXPECT_EQ(a.style, b.style) << a.caption;
  EXPECT_EQ(a.exStyle, b.exStyle) << a.caption;
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
}

inline void expectSameResources(const ResourceSet& a, const ResourceSet& b) {
  ASSERT_EQ(a.strings.size(), b.strings.size());
  for (std::size_t i = 0; i < a.strings.size(); ++i) {
    EXPECT_EQ(a.strings[i].id, b.strings[i].id);
    EXPECT_EQ(a.strings[i].language, b.strings[i].language);
    EXPECT_EQ(a.strings[i].text, b.strings[i].text);
  }
  ASSERT_EQ(a.dialogs.size(), b.dialogs.size());
  for (std::size_t i = 0; i < a.dialogs.size(); ++i) {
    const DialogTemplate& d = a.dialogs[i];
    const DialogTemplate& e = b.dialogs[i];
    EXPECT_EQ(d.id, e.id);
    EXPECT_EQ(d.language, e.language);
    EXPECT_EQ(d.style, e.style);
    EXPECT_EQ(d.exStyle, e.exStyle);
    EXPECT_EQ(d.x, e.x);
    EXPECT_EQ(d.y, e.y);
    EXPECT_EQ(d.width, e.width);
    EXPECT_EQ(d.height, e.height);
    EXPECT_EQ(d.caption, e.caption);
    ASSERT_EQ(d.hasFont, e.hasFont);
    if (d.hasFont) {
      EXPECT_EQ(d.font.pointSize, e.font.pointSize);
      EXPECT_EQ(d.font.weight, e.font.weight);
      EXPECT_EQ(d.font.italic, e.font.italic);
      EXPECT_EQ(d.font.charset, e.font.charset);
      EXPECT_EQ(d.font.face, e.font.face);
    }
    ASSERT_EQ(d.controls.size(), e.controls.size());
    for (std::size_t c = 0; c < d.controls.size(); ++c)
      expectSameControl(d.controls[c], e.controls[c]);
  }
  ASSERT_EQ(a.manifests.size(), b.manifests.size());
  for (std::size_t i = 0; i < a.manifests.size(); ++i) {
    EXPECT_EQ(a.manifests[i].id, b.manifests[i].id);
    EXPECT_EQ(a.manifests[i].language, b.manifests[i].language);
    EXPECT_EQ(a.manifests[i].content, b.manifests[i].content);
  }
}
