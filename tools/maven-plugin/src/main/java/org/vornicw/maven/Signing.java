package org.vornicw.maven;

import java.io.File;

/**
 * The plugin's {@code <signing>} parameter: the project file's [Signing] keys in camel case. Files are
 * relative to the POM's folder. The password (or a token's PIN) stays in the environment variable that
 * {@code passwordVariable} names; it is never written into the project file the plugin makes.
 */
public class Signing {
    private String certificate;
    private String key;
    private String pkcs12File;
    private String passwordVariable;
    private String pkcs11Module;
    private String pkcs11Key;
    private String pkcs11Certificate;
    private String pkcs11Engine;
    private String signCommand;
    private String timestampUrl;
    private String description;
    private String url;

    /** The [Signing] section, with each file made absolute: the project file lies under target/. */
    String section(File basedir) {
        StringBuilder s = new StringBuilder("\n[Signing]\n");
        key(s, "Certificate", file(basedir, certificate));
        key(s, "Key", file(basedir, key));
        key(s, "PKCS12 File", file(basedir, pkcs12File));
        key(s, "Password Variable", passwordVariable);
        key(s, "PKCS11 Module", file(basedir, pkcs11Module));
        key(s, "PKCS11 Key", pkcs11Key);
        key(s, "PKCS11 Certificate", pkcs11Certificate);
        key(s, "PKCS11 Engine", file(basedir, pkcs11Engine));
        key(s, "Sign Command", signCommand);
        key(s, "Timestamp URL", timestampUrl);
        key(s, "Description", description);
        key(s, "URL", url);
        return s.toString();
    }

    private static String file(File basedir, String path) {
        if (path == null || path.isEmpty()) return null;
        File f = new File(path);
        return (f.isAbsolute() ? f : new File(basedir, path)).getPath();
    }

    private static void key(StringBuilder s, String key, String value) {
        if (value != null && !value.isEmpty()) s.append(key).append('=').append(value).append('\n');
    }
}
