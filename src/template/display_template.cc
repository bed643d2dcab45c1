#include "template/display_template.h"

DisplayTemplate& display_template() {
  static DisplayTemplate tpl = builtin_display();
  return tpl;
}
