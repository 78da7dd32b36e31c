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
  LAYOUT:XML_MAINHIDEWND=${QV_SKIN_DIR}/layout/mainhidewnd.xml
  LAYOUT:XML_MAINWND_DORBII=${QV_SKIN_DIR}/layout/mainwnd_dorbii.xml
  LAYOUT:XML_ABOUT_DORBII=${QV_SKIN_DIR}/layout/about_dorbii.xml
  LAYOUT:XML_DLGDEVICEINFO=${QV_SKIN_DIR}/layout/dlgdeviceinfo.xml
  SMENU:XML_EDITMENU=${QV_SKIN_DIR}/menu/editmenu.xml
  SMENU:menu_main=${QV_SKIN_DIR}/menu/menu_main.xml
  SMENU:menu_tray=${QV_SKIN_DIR}/menu/menu_tray.xml
  translator:lang_cn=${QV_SKIN_DIR}/lang/lang_cn.xml
  translator:lang_en=${QV_SKIN_DIR}/lang/lang_en.xml
  ICON:ICON_LOGO=${QV_SKIN_DIR}/images/logo_32.png
  IMG:image_logo=${QV_SKIN_DIR}/images/logo_16.png
  IMG:image_bg_round_black_png=${QV_SKIN_DIR}/images/wnd_bg.png
  IMG:image_tip_bg_png=${QV_SKIN_DIR}/images/tip_bg.png
  IMG:image_button=${QV_SKIN_DIR}/images/button.png
  IMG:image_btn_close=${QV_SKIN_DIR}/images/btn_close.png
  IMG:image_menu_item_bg=${QV_SKIN_DIR}/images/menu_item_bg.png
  IMG:image_main_btn_close_png=${QV_SKIN_DIR}/images/btn_close.png
  IMG:image_btn_minimize_png=${QV_SKIN_DIR}/images/btn_min.png
  IMG:image_btn_menu_png=${QV_SKIN_DIR}/images/btn_menu.png
  IMG:image_main_logo=${QV_SKIN_DIR}/images/logo_48.png
  IMG:png_popup_bg_small=${QV_SKIN_DIR}/images/wnd_bg_translucent.png
)
