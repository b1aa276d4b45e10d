#include "FinishBench.h"

#include "conversion/StagingRoot.h"

namespace quireforge::test {

FinishBench::FinishBench(const std::string& code_page) : archiver(ui), code_page_(code_page) {
  CreateStagingRoot(U16(staging_root().string()));
  environment_.staging_root = U16(staging_root().string());
  environment_.ui = &ui;
  environment_.is_chapter_head = [this](std::u16string_view line) {
    return rule_.IsChapterHead(line);
  };
  environment_.code_page = &code_page_;
}

std::u16string FinishBench::Source(const std::string& name, const std::string& bytes) const {
  WriteFile(temp_.path() / name, bytes);
  return U16((temp_.path() / name).string());
}

JobParameters FinishBench::Parameters(std::vector<std::u16string> sources) const {
  JobParameters parameters;
  parameters.sources = std::move(sources);
  parameters.target_path = U16(target().string());
  parameters.title = u"Book";
  parameters.author = u"Author";
  return parameters;
}

std::unique_ptr<TConvertFile> FinishBench::Build(const JobParameters& parameters) {
  return std::make_unique<TConvertFile>(parameters, environment_);
}

void FinishBench::UseStagingRoot(const std::filesystem::path& root) {
  environment_.staging_root = U16(root.string());
}

std::filesystem::path StagingOf(const TConvertFile& job) {
  return std::filesystem::path(U8(job.StagingPath()));
}

}  // namespace quireforge::test
