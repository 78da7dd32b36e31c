#pragma once
// Names of the skin's resources as the code loads them, by type:
// res::layout::XML_MSGBOX is u"LAYOUT:XML_MSGBOX". Types and names compare
// ignoring case when loaded.

namespace res {

namespace uidef {
inline constexpr const char16_t* XML_INIT = u"UIDEF:XML_INIT";
}  // namespace uidef

namespace layout {
inline constexpr const char16_t* XML_MAINHIDEWND = u"LAYOUT:XML_MAINHIDEWND";
inline constexpr const char16_t* XML_MSGBOX = u"LAYOUT:XML_MSGBOX";
inline constexpr const char16_t* XML_INPUTDLG = u"LAYOUT:XML_INPUTDLG";
inline constexpr const char16_t* XML_HOTKEYDLG = u"LAYOUT:XML_HOTKEYDLG";
inline constexpr const char16_t* XML_TOOLTIP = u"LAYOUT:XML_TOOLTIP";
inline constexpr const char16_t* XML_DLGDEVICEINFO = u"LAYOUT:XML_DLGDEVICEINFO";
inline constexpr const char16_t* XML_MAINWND_DORBII = u"LAYOUT:XML_MAINWND_DORBII";
inline constexpr const char16_t* XML_MAINWND_DORBIV = u"LAYOUT:XML_MAINWND_DORBIV";
inline constexpr const char16_t* XML_MAINWND_ZENK = u"LAYOUT:XML_MAINWND_ZENK";
inline constexpr const char16_t* XML_SAVEPRESET = u"LAYOUT:XML_SAVEPRESET";
inline constexpr const char16_t* XML_SAVEEFFECT = u"LAYOUT:XML_SAVEEFFECT";
inline constexpr const char16_t* XML_UPGRADEFIRMWARE = u"LAYOUT:XML_UPGRADEFIRMWARE";
inline constexpr const char16_t* XML_SENDDATA = u"LAYOUT:XML_SENDDATA";
inline constexpr const char16_t* XML_ABOUT_DORBII = u"LAYOUT:XML_ABOUT_DORBII";
inline constexpr const char16_t* XML_ABOUT_DORBIV = u"LAYOUT:XML_ABOUT_DORBIV";
inline constexpr const char16_t* XML_ABOUT_ZENK = u"LAYOUT:XML_ABOUT_ZENK";
inline constexpr const char16_t* XML_EDIT_ADDFILENAME = u"LAYOUT:XML_EDIT_ADDFILENAME";
inline constexpr const char16_t* XML_SET_VOLUME = u"LAYOUT:XML_SET_VOLUME";
inline constexpr const char16_t* XML_INC_VOLUME = u"LAYOUT:XML_INC_VOLUME";
inline constexpr const char16_t* XML_INC_SOUND = u"LAYOUT:XML_INC_SOUND";
inline constexpr const char16_t* XML_DLG_EQ = u"LAYOUT:XML_DLG_EQ";
inline constexpr const char16_t* XML_REVERB_PITCH = u"LAYOUT:XML_REVERB_PITCH";
inline constexpr const char16_t* XML_INC_CLOUNDEFFECTLIST = u"LAYOUT:XML_INC_CLOUNDEFFECTLIST";
inline constexpr const char16_t* XML_DORBIV_SET_VOLUME = u"LAYOUT:XML_DORBIV_SET_VOLUME";
inline constexpr const char16_t* XML_DORBIV_DLG_SAVE_PRESET = u"LAYOUT:XML_DORBIV_DLG_SAVE_PRESET";
inline constexpr const char16_t* XML_DORBIV_EDIT_ADDFILENAME = u"LAYOUT:XML_DORBIV_EDIT_ADDFILENAME";
inline constexpr const char16_t* XML_DORBIV_DLGDEVICEINFO = u"LAYOUT:XML_DORBIV_DLGDEVICEINFO";
inline constexpr const char16_t* XML_DORBIV_SENDDATA = u"LAYOUT:XML_DORBIV_SENDDATA";
inline constexpr const char16_t* XML_DORBIV_MSGBOX = u"LAYOUT:XML_DORBIV_MSGBOX";
inline constexpr const char16_t* XML_DORBIV_HOTKEYDLG = u"LAYOUT:XML_DORBIV_HOTKEYDLG";
}  // namespace layout

namespace values {
inline constexpr const char16_t* color = u"values:color";
inline constexpr const char16_t* string = u"values:string";
inline constexpr const char16_t* skin = u"values:skin";
}  // namespace values

namespace img {
inline constexpr const char16_t* image_shadow_png = u"IMG:image_shadow_png";
inline constexpr const char16_t* image_round_shadow_png = u"IMG:image_round_shadow_png";
inline constexpr const char16_t* image_edit_bk_png = u"IMG:image_edit_bk_png";
inline constexpr const char16_t* image_tip_bg_png = u"IMG:image_tip_bg_png";
inline constexpr const char16_t* image_tip2_bg_png = u"IMG:image_tip2_bg_png";
inline constexpr const char16_t* image_bg_round_white_png = u"IMG:image_bg_round_white_png";
inline constexpr const char16_t* image_bg_round_black_png = u"IMG:image_bg_round_black_png";
inline constexpr const char16_t* image_null_png = u"IMG:image_null_png";
inline constexpr const char16_t* image_main_center_png = u"IMG:image_main_center_png";
inline constexpr const char16_t* image_main_mask_png = u"IMG:image_main_mask_png";
inline constexpr const char16_t* image_ani_busy = u"IMG:image_ani_busy";
inline constexpr const char16_t* image_senddata_progress_bg_png = u"IMG:image_senddata_progress_bg_png";
inline constexpr const char16_t* image_senddata_progress_pos_png = u"IMG:image_senddata_progress_pos_png";
inline constexpr const char16_t* image_btn_close = u"IMG:image_btn_close";
inline constexpr const char16_t* image_split = u"IMG:image_split";
inline constexpr const char16_t* image_logo = u"IMG:image_logo";
inline constexpr const char16_t* image_button = u"IMG:image_button";
inline constexpr const char16_t* image_menu_item_bg = u"IMG:image_menu_item_bg";
inline constexpr const char16_t* image_main_btn_close_png = u"IMG:image_main_btn_close_png";
inline constexpr const char16_t* image_btn_minimize_png = u"IMG:image_btn_minimize_png";
inline constexpr const char16_t* image_iconlist_png = u"IMG:image_iconlist_png";
inline constexpr const char16_t* image_btn_menu_png = u"IMG:image_btn_menu_png";
inline constexpr const char16_t* image_split_png = u"IMG:image_split_png";
inline constexpr const char16_t* image_tab_bg_png = u"IMG:image_tab_bg_png";
inline constexpr const char16_t* image_slider_bg_png = u"IMG:image_slider_bg_png";
inline constexpr const char16_t* image_slider_thumb_png = u"IMG:image_slider_thumb_png";
inline constexpr const char16_t* image_slider2_bg_png = u"IMG:image_slider2_bg_png";
inline constexpr const char16_t* image_slider2_bg2_png = u"IMG:image_slider2_bg2_png";
inline constexpr const char16_t* image_slider2_thumb_png = u"IMG:image_slider2_thumb_png";
inline constexpr const char16_t* image_radio_minusplus = u"IMG:image_radio_minusplus";
inline constexpr const char16_t* image_check_button = u"IMG:image_check_button";
inline constexpr const char16_t* image_offonstatus_png = u"IMG:image_offonstatus_png";
inline constexpr const char16_t* image_chk_switch = u"IMG:image_chk_switch";
inline constexpr const char16_t* image_dropbtn = u"IMG:image_dropbtn";
inline constexpr const char16_t* image_reset = u"IMG:image_reset";
inline constexpr const char16_t* image_mute = u"IMG:image_mute";
inline constexpr const char16_t* image_bypass = u"IMG:image_bypass";
inline constexpr const char16_t* image_btn_topmost = u"IMG:image_btn_topmost";
inline constexpr const char16_t* image_bk_png = u"IMG:image_bk_png";
inline constexpr const char16_t* image_bg_preset_png = u"IMG:image_bg_preset_png";
inline constexpr const char16_t* image_vscrollbar_grey = u"IMG:image_vscrollbar_grey";
inline constexpr const char16_t* image_left_thumb_png = u"IMG:image_left_thumb_png";
inline constexpr const char16_t* image_right_thumb_png = u"IMG:image_right_thumb_png";
inline constexpr const char16_t* image_Topping_png = u"IMG:image_Topping_png";
inline constexpr const char16_t* image_btn_minimize = u"IMG:image_btn_minimize";
inline constexpr const char16_t* image_main_logo = u"IMG:image_main_logo";
inline constexpr const char16_t* image_Elliptical_fader = u"IMG:image_Elliptical_fader";
inline constexpr const char16_t* image_Special_effects_play = u"IMG:image_Special_effects_play";
inline constexpr const char16_t* image_recording = u"IMG:image_recording";
inline constexpr const char16_t* image_Recording_playback = u"IMG:image_Recording_playback";
inline constexpr const char16_t* image_volume_rotrayknob_bg = u"IMG:image_volume_rotrayknob_bg";
inline constexpr const char16_t* image_volume_rotrayknob_bg1 = u"IMG:image_volume_rotrayknob_bg1";
inline constexpr const char16_t* image_volume_rotrayknob_pos = u"IMG:image_volume_rotrayknob_pos";
inline constexpr const char16_t* image_switch_png = u"IMG:image_switch_png";
inline constexpr const char16_t* image_switch_reverse_png = u"IMG:image_switch_reverse_png";
inline constexpr const char16_t* image_Mute_but = u"IMG:image_Mute_but";
inline constexpr const char16_t* image_Save_to_preset = u"IMG:image_Save_to_preset";
inline constexpr const char16_t* image_Pusher_basemap = u"IMG:image_Pusher_basemap";
inline constexpr const char16_t* image_Fader = u"IMG:image_Fader";
inline constexpr const char16_t* image_save = u"IMG:image_save";
inline constexpr const char16_t* image_Rectangular_28 = u"IMG:image_Rectangular_28";
inline constexpr const char16_t* image_Rectangle_1097 = u"IMG:image_Rectangle_1097";
inline constexpr const char16_t* image_Rectangle_1097_2 = u"IMG:image_Rectangle_1097_2";
inline constexpr const char16_t* image_Elliptical_fader_12 = u"IMG:image_Elliptical_fader_12";
inline constexpr const char16_t* image_Rectangle_1097_4 = u"IMG:image_Rectangle_1097_4";
inline constexpr const char16_t* image_Rectangular_28_1 = u"IMG:image_Rectangular_28_1";
inline constexpr const char16_t* image_Rectangular_28_1_1 = u"IMG:image_Rectangular_28_1_1";
inline constexpr const char16_t* image_Size_adjustment = u"IMG:image_Size_adjustment";
inline constexpr const char16_t* image_keynote = u"IMG:image_keynote";
inline constexpr const char16_t* image_btn_preset = u"IMG:image_btn_preset";
inline constexpr const char16_t* image_btn_use = u"IMG:image_btn_use";
inline constexpr const char16_t* image_btn_effect = u"IMG:image_btn_effect";
inline constexpr const char16_t* image_btn_sound = u"IMG:image_btn_sound";
inline constexpr const char16_t* image_btn_check_white_blue_png = u"IMG:image_btn_check_white_blue_png";
inline constexpr const char16_t* image_btn_volume = u"IMG:image_btn_volume";
inline constexpr const char16_t* image_chk_hotkey = u"IMG:image_chk_hotkey";
inline constexpr const char16_t* image_setvolume_png = u"IMG:image_setvolume_png";
inline constexpr const char16_t* image_flashing_bg_png = u"IMG:image_flashing_bg_png";
inline constexpr const char16_t* image_record_progress_bg = u"IMG:image_record_progress_bg";
inline constexpr const char16_t* image_special_effects_play_progress_bg = u"IMG:image_special_effects_play_progress_bg";
inline constexpr const char16_t* image_cloud_effect_item_bg = u"IMG:image_cloud_effect_item_bg";
inline constexpr const char16_t* image_Record_flash_pos = u"IMG:image_Record_flash_pos";
inline constexpr const char16_t* image_Volume_slider_bg = u"IMG:image_Volume_slider_bg";
inline constexpr const char16_t* image_Volume_slider_pos = u"IMG:image_Volume_slider_pos";
inline constexpr const char16_t* image_Volume_fader = u"IMG:image_Volume_fader";
inline constexpr const char16_t* image_combo_bg = u"IMG:image_combo_bg";
inline constexpr const char16_t* image_reverb_pitch_bg = u"IMG:image_reverb_pitch_bg";
inline constexpr const char16_t* image_forbid_pitch_bg = u"IMG:image_forbid_pitch_bg";
inline constexpr const char16_t* image_volume_rotrayknob_monitor_bg = u"IMG:image_volume_rotrayknob_monitor_bg";
inline constexpr const char16_t* image_volume_rotrayknob_mic_bg = u"IMG:image_volume_rotrayknob_mic_bg";
inline constexpr const char16_t* image_volume_rotrayknob_bg2 = u"IMG:image_volume_rotrayknob_bg2";
inline constexpr const char16_t* png_volume_rotrayknob_small_bg = u"IMG:png_volume_rotrayknob_small_bg";
inline constexpr const char16_t* png_volume_rotrayknob_small_bg1 = u"IMG:png_volume_rotrayknob_small_bg1";
inline constexpr const char16_t* image_Rotray_pointer = u"IMG:image_Rotray_pointer";
inline constexpr const char16_t* image_bk2_png = u"IMG:image_bk2_png";
inline constexpr const char16_t* image_btn_effect2 = u"IMG:image_btn_effect2";
inline constexpr const char16_t* image_btn_sound2 = u"IMG:image_btn_sound2";
inline constexpr const char16_t* image_btn_mute = u"IMG:image_btn_mute";
inline constexpr const char16_t* image_btn_switch = u"IMG:image_btn_switch";
inline constexpr const char16_t* image_btn_reverse = u"IMG:image_btn_reverse";
inline constexpr const char16_t* image_tab_interSkin = u"IMG:image_tab_interSkin";
inline constexpr const char16_t* image_radio = u"IMG:image_radio";
inline constexpr const char16_t* image_vscrollbar = u"IMG:image_vscrollbar";
inline constexpr const char16_t* image_splite_line = u"IMG:image_splite_line";
inline constexpr const char16_t* png_LevelMeter_pos_top2x = u"IMG:png_LevelMeter_pos_top2x";
inline constexpr const char16_t* png_LevelMeter_pos_mid2x = u"IMG:png_LevelMeter_pos_mid2x";
inline constexpr const char16_t* png_LevelMeter_pos_bottom2x = u"IMG:png_LevelMeter_pos_bottom2x";
inline constexpr const char16_t* png_thumb_slider = u"IMG:png_thumb_slider";
inline constexpr const char16_t* png_volume_bg = u"IMG:png_volume_bg";
inline constexpr const char16_t* png_edit_bg = u"IMG:png_edit_bg";
inline constexpr const char16_t* image_progress_vertical_bg_png = u"IMG:image_progress_vertical_bg_png";
inline constexpr const char16_t* image_progress_vertical_bar_png = u"IMG:image_progress_vertical_bar_png";
inline constexpr const char16_t* png_specail_progress_bg = u"IMG:png_specail_progress_bg";
inline constexpr const char16_t* png_specail_progress_pos = u"IMG:png_specail_progress_pos";
inline constexpr const char16_t* png_specail_progress_thumb = u"IMG:png_specail_progress_thumb";
inline constexpr const char16_t* image_lowhight_slider_bg = u"IMG:image_lowhight_slider_bg";
inline constexpr const char16_t* png_lowhight_thumb = u"IMG:png_lowhight_thumb";
inline constexpr const char16_t* png_btn_specail_play = u"IMG:png_btn_specail_play";
inline constexpr const char16_t* png_btn_play_record = u"IMG:png_btn_play_record";
inline constexpr const char16_t* png_btn_record_start = u"IMG:png_btn_record_start";
inline constexpr const char16_t* png_btn_Save_Record = u"IMG:png_btn_Save_Record";
inline constexpr const char16_t* png_btn_more = u"IMG:png_btn_more";
inline constexpr const char16_t* png_eq_bg = u"IMG:png_eq_bg";
inline constexpr const char16_t* png_Pusher_basemap = u"IMG:png_Pusher_basemap";
inline constexpr const char16_t* png_eq_slider_bg = u"IMG:png_eq_slider_bg";
inline constexpr const char16_t* png_eq_slider_pos = u"IMG:png_eq_slider_pos";
inline constexpr const char16_t* png_eq_slider_thumb = u"IMG:png_eq_slider_thumb";
inline constexpr const char16_t* png_btn_close = u"IMG:png_btn_close";
inline constexpr const char16_t* png_reverb_pitch_bg = u"IMG:png_reverb_pitch_bg";
inline constexpr const char16_t* png_reverb_pitch_rotrayknob_bg = u"IMG:png_reverb_pitch_rotrayknob_bg";
inline constexpr const char16_t* png_reverb_pitch_rotrayknob_bg1 = u"IMG:png_reverb_pitch_rotrayknob_bg1";
inline constexpr const char16_t* png_reverb_pitch_pointer = u"IMG:png_reverb_pitch_pointer";
inline constexpr const char16_t* png_tree_toggle_png = u"IMG:png_tree_toggle_png";
inline constexpr const char16_t* png_btn_cloud = u"IMG:png_btn_cloud";
inline constexpr const char16_t* png_set_volume_bg = u"IMG:png_set_volume_bg";
inline constexpr const char16_t* png_btn_gain = u"IMG:png_btn_gain";
inline constexpr const char16_t* png_btn_default_bg = u"IMG:png_btn_default_bg";
inline constexpr const char16_t* png_btn_preset = u"IMG:png_btn_preset";
inline constexpr const char16_t* png_popup_bg = u"IMG:png_popup_bg";
inline constexpr const char16_t* png_popup_bg_small = u"IMG:png_popup_bg_small";
inline constexpr const char16_t* png_Flashing_bg2 = u"IMG:png_Flashing_bg2";
}  // namespace img

namespace icon {
inline constexpr const char16_t* ICON_LOGO = u"ICON:ICON_LOGO";
}  // namespace icon

namespace smenu {
inline constexpr const char16_t* menu_main = u"SMENU:menu_main";
inline constexpr const char16_t* menu_main1 = u"SMENU:menu_main1";
inline constexpr const char16_t* menu_mood_hotkey = u"SMENU:menu_mood_hotkey";
inline constexpr const char16_t* menu_tray = u"SMENU:menu_tray";
inline constexpr const char16_t* XML_EDITMENU = u"SMENU:XML_EDITMENU";
inline constexpr const char16_t* MENU_EMPTY = u"SMENU:MENU_EMPTY";
inline constexpr const char16_t* dorbIV_menu_main = u"SMENU:dorbIV_menu_main";
inline constexpr const char16_t* dorbIV_menu_mood_hotkey = u"SMENU:dorbIV_menu_mood_hotkey";
inline constexpr const char16_t* dorbIV_menu_tray = u"SMENU:dorbIV_menu_tray";
inline constexpr const char16_t* menu_kxeffect_item = u"SMENU:menu_kxeffect_item";
inline constexpr const char16_t* menu_kxeffect_root = u"SMENU:menu_kxeffect_root";
inline constexpr const char16_t* menu_preset = u"SMENU:menu_preset";
}  // namespace smenu

namespace translator {
inline constexpr const char16_t* lang_cn = u"translator:lang_cn";
inline constexpr const char16_t* lang_en = u"translator:lang_en";
}  // namespace translator

}  // namespace res

inline constexpr const char16_t* kResFirmwareType = u"DATA";
inline constexpr const char16_t* kResFirmwareName = u"FMW15";
