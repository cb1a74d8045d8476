#include "VARN_installer/layout_edit.h"

#include <functional>
#include <vector>

#include "VARN_installer/text_lines.h"

namespace zelko::varn {
namespace {

using Injector = std::function<EditFault(TextOutput&)>;

bool blank(std::string_view text) { return text.find_first_not_of(" \t\r") == std::string_view::npos; }

// The last line of an edited layout: its text up to "</Form>", leading blanks dropped,
// no line end. A plain "</Form>" line stays just that; markup before it on the same line
// is kept rather than lost.
std::string formEnd(std::string_view text) {
  size_t end = text.find(kFormEnd) + kFormEnd.size();
  size_t first = text.find_first_not_of(" \t");
  return std::string(text.substr(first, end - first));
}

// Copies the lines before the list view's opening line and returns that line's index
// (the number of lines when there is none), and in `view` its kind.
size_t copyUpToListView(const std::vector<TextLine>& lines, TextOutput& out, ListView& view) {
  size_t i = 0;
  for (; i < lines.size(); ++i) {
    view = listViewOpened(lines[i].text);
    if (view != ListView::kNone) break;
    out.line(lines[i]);
  }
  return i;
}

// Copies the layout up to its form's end. After the list view starts, each block of
// `plugin` is left out and `inject` writes in its place; before "</Form>", `inject`
// writes when it has not yet.
EditResult editBlocks(std::string_view layout, std::string_view plugin, const Injector& inject) {
  const std::vector<TextLine> lines = splitLines(layout);
  EditResult result;
  TextOutput out;
  size_t i = copyUpToListView(lines, out, result.listView);
  if (result.listView == ListView::kNone) return {out.text(), result.listView, EditFault::kNotALayout};
  out.line(lines[i++]);
  bool injected = false;
  for (; i < lines.size(); ++i) {
    std::string_view text = lines[i].text;
    if (contains(text, kFormEnd)) {
      if (!injected) result.fault = inject(out);
      if (result.fault == EditFault::kNone) out.line(formEnd(text), false);
      result.text = out.text();
      return result;
    }
    if (opensBlock(text, plugin)) {
      auto end = blockEnd(lines, i, plugin);
      if (!end) return {out.text(), result.listView, EditFault::kBlockUnclosed};
      result.fault = inject(out);
      if (result.fault != EditFault::kNone) return {out.text(), result.listView, result.fault};
      injected = true;
      i = *end;
      continue;
    }
    out.line(lines[i]);
  }
  return {out.text(), result.listView, EditFault::kNotALayout};
}

// The list view's opening line turned into `to`: three blanks (or what stood before the
// tag, when that is more than blanks), the new tag, the rest of the line.
std::string switchedStart(std::string_view text, ListView from, ListView to) {
  size_t at = text.find(listViewStartTag(from));
  std::string_view before = text.substr(0, at);
  std::string line = blank(before) ? "   " : std::string(before);
  line += listViewStartTag(to);
  line += text.substr(at + listViewStartTag(from).size());
  return line;
}

// The list view's closing line turned into `to`: "   </NewListView>", keeping what stood
// before and after the closing tag when that is more than blanks.
std::string switchedEnd(std::string_view text, ListView from, ListView to) {
  size_t at = text.find(listViewEndTag(from));
  std::string_view before = text.substr(0, at);
  size_t close = text.find('>', at);
  std::string_view after =
      close == std::string_view::npos ? text.substr(at + listViewEndTag(from).size()) : text.substr(close + 1);
  std::string line = blank(before) ? "   " : std::string(before);
  line += std::string(listViewEndTag(to)) + ">";
  if (!blank(after)) line += after;
  return line;
}

}  // namespace

EditResult addLayers(std::string_view layout, const PluginDefinition& plugin,
                     platform::ScreenSize size) {
  return editBlocks(layout, plugin.name, [&](TextOutput& out) {
    Layers layers = plugin.layers(size);
    if (layers.fault == LayersFault::kMissing) return EditFault::kNoLayers;
    if (layers.fault == LayersFault::kUnclosed) return EditFault::kLayersUnclosed;
    for (const std::string& line : layers.lines) out.line(line);
    return EditFault::kNone;
  });
}

EditResult removeLayers(std::string_view layout, std::string_view plugin) {
  return editBlocks(layout, plugin, [](TextOutput&) { return EditFault::kNone; });
}

EditResult switchListView(std::string_view layout, bool toBronze, bool toTitanium) {
  const std::vector<TextLine> lines = splitLines(layout);
  EditResult result;
  TextOutput out;
  size_t i = copyUpToListView(lines, out, result.listView);
  if (result.listView == ListView::kNone) return {out.text(), result.listView, EditFault::kNotALayout};
  const ListView from = result.listView;
  const ListView to = from == ListView::kTitanium ? ListView::kBronze : ListView::kTitanium;
  if (!(to == ListView::kBronze ? toBronze : toTitanium)) {
    for (; i < lines.size(); ++i) out.line(lines[i]);
    return {out.text(), from, EditFault::kNone};
  }
  out.line(switchedStart(lines[i].text, from, to), lines[i].ended);
  bool endSeen = false;  // the list view's closing line is behind
  for (++i; i < lines.size(); ++i) {
    std::string text(lines[i].text);
    bool ended = lines[i].ended;
    if (!endSeen && contains(text, listViewEndTag(from))) {
      text = switchedEnd(text, from, to);
      ended = true;  // the new closing line always gets its line end
      endSeen = true;
    }
    if (endSeen && contains(text, kFormEnd)) {
      out.line(formEnd(text), false);
      return {out.text(), from, EditFault::kNone};
    }
    out.line(text, ended);
  }
  // Switched without its closing line, the list view would be left unbalanced.
  return {out.text(), from, endSeen ? EditFault::kNone : EditFault::kNotALayout};
}

}  // namespace zelko::varn
