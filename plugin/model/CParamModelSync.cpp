// Keeping the card's copy of the parameters equal to the model's.
#include "platform/os/Log.h"
#include "plugin/model/CParamModel.h"

using qv::model::ParamNotification;

void CParamModel::WriteParam(int index, std::int32_t value) {
    const int id = index % 1000;
    if (id < 0 || id >= GetParamCount()) {
        QV_LOGW("control %d names no parameter", index);
        return;
    }
    if (value != m_currentEffect.values[id]) {
        m_currentEffect.values[id] = value;
        if (m_port.IsConnected()) {
            m_changed[id] = value;
            m_port.RequestSend();
        }
    }
    if (id >= kFirstEqBand && id <= kLastEqBand) m_port.OnBandWritten(id, value);
}

BOOL CParamModel::SendChangedParams() {
    if (m_changed.empty()) return 1;
    // A failed frame keeps the whole set, so the next flush sends it again.
    if (!m_port.SendFrames(qv::model::PackParamFrames(m_changed, m_descriptors))) return 0;
    m_changed.clear();
    return 1;
}

BOOL CParamModel::SyncParams(BOOL all) {
    if (!m_port.IsConnected()) return 0;
    m_changed.clear();
    for (const ParamDescriptor& descriptor : m_descriptors)
        if (all || descriptor.effectFlag == 1)
            m_changed[descriptor.id] = m_currentEffect.values[descriptor.id];
    return SendChangedParams();
}

CParamModel::NotificationOutcome CParamModel::ApplyNotification(
    const qv::model::ParamFrame& frame) {
    QV_TRACE("OnEventRecvData======================\n");
    const ParamNotification notification = qv::model::UnpackNotification(frame);
    if (m_family.notifiedEffectRule == NotifiedEffectRule::kApplyAfterFrame)
        return ApplyNotificationAfterFrame(notification);
    return ApplyNotificationAtNamingTriple(notification);
}

// A device custom slot 1 .. 3 names its record and wins over an effect
// number; a built-in effect number names a built-in record.
const EffectRecord* CParamModel::NotifiedEffect(std::int32_t effectNumber,
                                                std::int32_t customSlot) const {
    const int builtIn = m_family.builtInEffectCount;
    if (customSlot >= 1) {
        const std::size_t index = static_cast<std::size_t>(builtIn + customSlot - 1);
        return customSlot <= kDeviceCustomEffectCount && index < m_deviceEffects.size()
                   ? &m_deviceEffects[index]
                   : nullptr;
    }
    if (effectNumber >= 0 && effectNumber < builtIn)
        return &m_deviceEffects[static_cast<std::size_t>(effectNumber)];
    return nullptr;
}

CParamModel::NotificationOutcome CParamModel::ApplyNotificationAtNamingTriple(
    const ParamNotification& notification) {
    NotificationOutcome outcome;
    std::int32_t effectNumber = -1;
    std::int32_t customSlot = -1;
    bool applied = false;
    for (const auto& [id, value] : notification.triples) {
        QV_TRACE("OnEventRecvData:<%d, %d>\n", id, value);
        if (id == kParamEffectNumber) effectNumber = value;
        if (id == kParamEffectCode) customSlot = value;
        if (!applied) {
            if (const EffectRecord* record = NotifiedEffect(effectNumber, customSlot)) {
                ApplyEffectRecord(*record);
                applied = true;
            }
        }
        if (id >= GetParamCount()) {
            QV_LOGW("notification names unknown parameter %d", id);
            return outcome;
        }
        m_currentEffect.values[id] = value;
        m_port.UpdateParamDisplay(id, value);
        outcome.pairs.push_back({id, value});
    }
    m_port.FireParamChanged();
    outcome.complete = true;
    return outcome;
}

CParamModel::NotificationOutcome CParamModel::ApplyNotificationAfterFrame(
    const ParamNotification& notification) {
    NotificationOutcome outcome;
    std::int32_t effectNumber = -1;
    std::int32_t customSlot = -1;
    for (const auto& [id, value] : notification.triples) {
        QV_TRACE("OnEventRecvData:<%d, %d>\n", id, value);
        if (id == kParamEffectNumber) effectNumber = value;
        if (id == kParamEffectCode) customSlot = value;
        if (id >= GetParamCount()) {
            QV_LOGW("notification names unknown parameter %d", id);
            return outcome;
        }
        m_currentEffect.values[id] = value;
        m_port.UpdateParamDisplay(id, value);
        outcome.pairs.push_back({id, value});
    }
    if (const EffectRecord* record = NotifiedEffect(effectNumber, customSlot)) {
        ApplyEffectRecord(*record);
        m_port.FireParamChanged();
    }
    outcome.complete = true;
    return outcome;
}
