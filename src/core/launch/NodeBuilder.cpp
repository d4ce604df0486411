#include "core/launch/NodeBuilder.h"

#include "core/launch/PortFamily.h"

namespace quillon {

NodeBuilderKind NodeBuilderOf(std::string_view path) {
  const std::string name = EngineName(path);
  if (name == "zdbsp") return NodeBuilderKind::Zdbsp;
  if (name == "glbsp") return NodeBuilderKind::Glbsp;
  if (name == "zennode") return NodeBuilderKind::ZenNode;
  if (name == "bsp") return NodeBuilderKind::Bsp;
  return NodeBuilderKind::Other;
}

std::vector<std::string> NodeBuilderArguments(std::string_view builder, const std::string& in,
                                              const std::string& out) {
  if (NodeBuilderOf(builder) == NodeBuilderKind::Zdbsp) return {"-o", out, in};
  return {in, "-o", out};
}

}  // namespace quillon
