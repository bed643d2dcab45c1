#include "render/record_renderer.h"

// Placeholder until the renderer lands.
struct RecordRenderer::Impl {};
RecordRenderer::RecordRenderer(const DisplayTemplate&, bool) : impl_(new Impl) {}
RecordRenderer::~RecordRenderer() { delete impl_; }
void RecordRenderer::render_record(const DisplayList&, const JobEntry&) {}
void RecordRenderer::print_text_list(const DisplayList&) {}
