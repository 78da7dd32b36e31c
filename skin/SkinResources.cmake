# The skin's resources as qv_add_resources takes them (TYPE:NAME=path): the
# host executable carries them, and the skin tests link the same list.
set(QV_SKIN_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QV_SKIN_RESOURCES
  uidef:xml_init=${QV_SKIN_DIR}/uidef/xml_init.xml
  values:string=${QV_SKIN_DIR}/values/string.xml
  values:color=${QV_SKIN_DIR}/values/color.xml
  values:skin=${QV_SKIN_DIR}/values/skin.xml
  LAYOUT:XML_MSGBOX=${QV_SKIN_DIR}/layout/msgbox.xml
  LAYOUT:XML_TOOLTIP=${QV_SKIN_DIR}/layout/tooltip.xml
  LAYOUT:XML_INPUTDLG=${QV_SKIN_DIR}/layout/inputdlg.xml
  LAYOUT:XML_HOTKEYDLG=${QV_SKIN_DIR}/layout/hotkeydlg.xml
  SMENU:XML_EDITMENU=${QV_SKIN_DIR}/menu/editmenu.xml
  translator:lang_cn=${QV_SKIN_DIR}/lang/lang_cn.xml
  translator:lang_en=${QV_SKIN_DIR}/lang/lang_en.xml
  ICON:ICON_LOGO=${QV_SKIN_DIR}/images/logo_32.png
  IMG:image_logo=${QV_SKIN_DIR}/images/logo_16.png
  IMG:image_bg_round_black_png=${QV_SKIN_DIR}/images/wnd_bg.png
  IMG:image_tip_bg_png=${QV_SKIN_DIR}/images/tip_bg.png
  IMG:image_button=${QV_SKIN_DIR}/images/button.png
  IMG:image_btn_close=${QV_SKIN_DIR}/images/btn_close.png
  IMG:image_menu_item_bg=${QV_SKIN_DIR}/images/menu_item_bg.png
)
