/* The launcher's window module, carried inside the one-file launcher. */
    .section .rodata
    .balign 64
    .globl velmora_launcher_window_module
velmora_launcher_window_module:
    .incbin WINDOW_MODULE_PATH
    .globl velmora_launcher_window_module_end
velmora_launcher_window_module_end:
    .section .note.GNU-stack,"",@progbits
