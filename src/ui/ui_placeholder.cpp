// The window library; its parts arrive file by file.
namespace zh {}
