#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The node builders whose command lines are known, by the builder's file name as a port's
// family is (EngineName: any case, ".exe" and a version left off).
enum class NodeBuilderKind { Zdbsp, Glbsp, ZenNode, Bsp, Other };

NodeBuilderKind NodeBuilderOf(std::string_view path);

// The arguments that build the nodes of every map of `in` into `out`, each from the
// builder's own documentation:
//   zdbsp   "zdbsp [options] input.wad ... [-o output.wad]" (man zdbsp), given as -o OUT IN
//   glbsp   "glbsp [options] input.wad ... [-o output.wad]" (man glbsp)
//   ZenNode "ZenNode FILE... [-o|x FILE]" (its README: "ZenNode c:\doom\doom.wad -o zendoom.wad")
//   bsp     "bsp [options] inwad [[-o] outwad]" (bsp(6))
// A builder not known gets IN -o OUT, the form all but one of them share.
std::vector<std::string> NodeBuilderArguments(std::string_view builder, const std::string& in,
                                              const std::string& out);

}  // namespace quillon
