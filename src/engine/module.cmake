tarnwell_module(engine DEPS tw_ooxml tw_host TEST_DEPS tw_platform)
